#include "catalogue/product_manager.h"
#include "log/debug_log.h"
#include "support/module_path.h"
#include "support/wow64.h"
#include "update/catalogue_backup.h"
#include "update/catalogue_download.h"
#include "update/download_plan.h"
#include "update/refresh_lock.h"
#include "update/signed_download.h"
#include "update/virtual_store.h"
#include "win32/deadline.h"

namespace {

// The whole refresh, every request and wait included, as long as one
// download of the download module may take.
const DWORD kRefreshMs = 60000;

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

// Without a key the download module writes over the catalogue itself, so
// only one such refresh of a file may run at a time in its folder: one
// that finds another running waits for it and takes its outcome instead of
// downloading again, which keeps it within the one deadline. Under the same
// lock a download that is no catalogue gives the old file back; no other
// refresh has written the file meanwhile.
bool DownloadUnsigned(ProductManager& manager, const CatalogueDownloadPlan& plan, const Deadline& deadline) {
    // A lock that cannot be made at all (the folder is not writable) lets
    // the download go on, to fail where it writes and say why.
    const CatalogueRefreshLock lock(plan.catalogue, deadline);
    if (lock.WaitedForAnother()) {
        CMLog::GetInstance().Log(lock.Held() ? L"catalogue download skipped: another refresh of this catalogue ran "
                                               L"meanwhile, and its outcome stands"
                                             : L"catalogue download skipped: another refresh of this catalogue still "
                                               L"runs");
        return false;
    }
    CatalogueBackup backup(plan.catalogue);
    if (!DownloadCatalogue(plan, manager.hostParam)) return false;
    LogPerUserCopy(plan.catalogue);
    backup.NoteDownloaded();
    int products = 0;
    const bool loaded = manager.LoadCatalogue(&products);
    if (loaded && products > 0) return true;
    CMLog::GetInstance().Log(L"downloaded catalogue %s: %s", loaded ? L"has no Product element" : L"does not load",
                             OutcomeText(backup.Restore()));
    return false;
}

// Has a fresh catalogue downloaded and, when that succeeds, loads it. A
// downloaded file counts as a catalogue only when it loads and its root has a
// "Product" child: a well-formed page from a captive portal has none. With
// the vendor's key beside it, only a download with the key's signature, and
// claims that fit the catalogue in use, gets this far. True when the
// catalogue was loaded here; otherwise the caller loads whatever the file on
// disk now is.
bool DownloadAndLoad(ProductManager& manager) {
    const Deadline deadline(kRefreshMs);
    CMLog& log = CMLog::GetInstance();
    log.Log(L"开始下载SMBPlugins.xml");
    const CatalogueDownloadPlan plan = PlanCatalogueDownload(ModuleFolder());
    if (!plan.problem.empty()) {
        log.Log(L"catalogue download skipped, %s: the catalogue in use is kept", plan.problem.c_str());
        log.Log(L"SMBPlugins.xml下载失败");
        return false;
    }
    if (plan.key.empty()) return DownloadUnsigned(manager, plan, deadline);
    if (!DownloadSigned(plan, manager.hostParam, deadline)) return false;
    LogPerUserCopy(plan.catalogue);
    manager.LoadCatalogue();
    return true;
}

}  // namespace

void ProductManager::RefreshCatalogue(int download) {
    CWOW64 wow64;
    UpdateWow64Flag(wow64);
    // A failed download leaves the file already there; it is read either way.
    if (!download || !DownloadAndLoad(*this)) LoadCatalogue();
}
