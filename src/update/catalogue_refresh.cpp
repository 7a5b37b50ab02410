#include "catalogue/catalogue_parser.h"
#include "catalogue/product_manager.h"
#include "log/debug_log.h"
#include "signature/catalogue_key.h"
#include "signature/catalogue_signature.h"
#include "support/wow64.h"
#include "update/catalogue_backup.h"
#include "update/catalogue_download.h"
#include "update/virtual_store.h"
#include "win32/file_bytes.h"
#include "win32/temp_file.h"

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

// A file an earlier download left behind goes first: what is checked must be
// what this download fetched. False when it cannot be removed.
bool RemoveLeftover(const std::wstring& path) {
    DeleteFileW(path.c_str());
    if (FileIsMissing(path)) return true;
    CMLog::GetInstance().Log(L"catalogue download skipped: an earlier download's %s cannot be removed", path.c_str());
    return false;
}

// With the vendor's key: the catalogue and its signature arrive in files of
// their own beside the catalogue, which the catalogue replaces only once its
// signature holds, so a refused download never touches the file in use. The
// two files are gone afterwards, whatever happened.
bool DownloadSigned(uint32_t hostParam, const std::wstring& path, const std::wstring& keyPath) {
    if (path.empty()) return false;  // no folder of the module's own: nowhere to put the files
    TempFile download(path + L".download");
    const TempFile signature(path + L".sig.download");
    if (!RemoveLeftover(download.Path()) || !RemoveLeftover(signature.Path())) return false;
    if (!DownloadCatalogue(hostParam, {download.Path(), signature.Path()})) return false;
    const SignatureVerdict verdict = VerifyFileSignature(keyPath, download.Path(), signature.Path());
    if (verdict != SignatureVerdict::kValid) {
        CMLog::GetInstance().Log(L"downloaded catalogue refused, %s: the previous file is kept",
                                 SignatureVerdictText(verdict));
        return false;
    }
    if (!MoveFileExW(download.Path().c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        CMLog::GetInstance().Log(L"signed catalogue not put in place: error %lu", GetLastError());
        return false;
    }
    download.Keep();
    return true;
}

// Has a fresh catalogue downloaded and, when that succeeds, loads it. A
// downloaded file counts as a catalogue only when it loads and its root has a
// "Product" child: a well-formed page from a captive portal has none. Any
// other file gives the old one back. With the vendor's key beside it, only a
// download with the key's signature gets this far. True when the catalogue
// was loaded here; otherwise the caller loads whatever the file on disk now
// is.
bool DownloadAndLoad(ProductManager& manager) {
    const std::wstring path = CataloguePath();
    const std::wstring keyPath = CatalogueKeyPath();  // empty: downloads are not signed
    CatalogueBackup backup(path);
    const bool downloaded = keyPath.empty() ? DownloadCatalogue(manager.hostParam) != 0
                                            : DownloadSigned(manager.hostParam, path, keyPath);
    if (!downloaded) return false;
    LogPerUserCopy(path);
    backup.NoteDownloaded();
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
