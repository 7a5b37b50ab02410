#include "catalogue/catalogue_parser.h"
#include "catalogue/product_manager.h"
#include "log/debug_log.h"
#include "signature/catalogue_key.h"
#include "signature/catalogue_signature.h"
#include "support/wow64.h"
#include "update/catalogue_backup.h"
#include "update/catalogue_download.h"
#include "update/virtual_store.h"

namespace {

const wchar_t* OutcomeText(CatalogueBackup::Outcome outcome) {
    switch (outcome) {
        case CatalogueBackup::Outcome::kRestored: return L"the previous file is restored";
        case CatalogueBackup::Outcome::kNewerKept: return L"a newer file written meanwhile is kept";
        case CatalogueBackup::Outcome::kFailed: break;
    }
    return L"the previous file could not be restored";
}

// A host that Windows virtualises has replaced only its own copy of the
// catalogue, which no other user or process reads.
void LogPerUserCopy(const std::wstring& path) {
    const std::wstring copy = VirtualStoreCopy(path);
    if (copy.empty()) return;
    CMLog::GetInstance().Log(L"catalogue saved for this user only, in %s: the host runs without administrator "
                             L"rights and without a manifest",
                             copy.c_str());
}

// With the vendor's key in place, whether the downloaded catalogue carries
// the key's signature; the signature's file is gone afterwards either way.
bool SignatureAccepted(const std::wstring& keyPath, const std::wstring& path, const std::wstring& signaturePath,
                       CatalogueBackup& backup) {
    const SignatureVerdict verdict = VerifyFileSignature(keyPath, path, signaturePath);
    DeleteFileW(signaturePath.c_str());
    if (verdict == SignatureVerdict::kValid) return true;
    CMLog::GetInstance().Log(L"downloaded catalogue refused, %s: %s", SignatureVerdictText(verdict),
                             OutcomeText(backup.Restore()));
    return false;
}

// Has a fresh catalogue downloaded and, when that succeeds, loads it. A
// downloaded file counts as a catalogue only when it loads and its root has a
// "Product" child: a well-formed page from a captive portal has none. With
// the vendor's key beside it, it must carry the key's signature too. Any
// other file gives the old one back. True when the catalogue was loaded
// here; otherwise the caller loads whatever the file on disk now is.
bool DownloadAndLoad(ProductManager& manager) {
    const std::wstring path = CataloguePath();
    const std::wstring keyPath = CatalogueKeyPath();  // empty: downloads are not signed
    const std::wstring signaturePath = keyPath.empty() ? std::wstring() : path + L".sig.download";
    CatalogueBackup backup(path);
    if (!DownloadCatalogue(manager.hostParam, signaturePath)) return false;
    LogPerUserCopy(path);
    backup.NoteDownloaded();
    if (!keyPath.empty() && !SignatureAccepted(keyPath, path, signaturePath, backup)) return false;
    int products = 0;
    const bool loaded = manager.LoadCatalogue(&products);
    if (loaded && products > 0) return true;
    CMLog::GetInstance().Log(L"downloaded catalogue %s: %s", loaded ? L"has no Product element" : L"does not load",
                             OutcomeText(backup.Restore()));
    return false;
}

}  // namespace

void ProductManager::RefreshCatalogue(int download) {
    CWOW64 wow64;
    UpdateWow64Flag(wow64);
    // A failed download leaves the file already there; it is read either way.
    if (!download || !DownloadAndLoad(*this)) LoadCatalogue();
}
