#include "catalogue/catalogue_parser.h"
#include "catalogue/product_manager.h"
#include "support/debug_log.h"
#include "support/wow64.h"
#include "update/catalogue_backup.h"
#include "update/catalogue_download.h"

namespace {

// Has a fresh catalogue downloaded and, when that succeeds, loads it. A
// downloaded file that does not load gives the old file back, which the
// caller then loads. True when the catalogue was loaded here.
bool DownloadAndLoad(ProductManager& manager) {
    const CatalogueBackup backup(CataloguePath());
    if (!DownloadCatalogue(manager.hostParam)) return false;
    if (manager.LoadCatalogue() || !backup.Restore()) return true;
    CMLog::GetInstance().Log(L"downloaded catalogue does not load: the previous file is restored");
    return false;
}

}  // namespace

void ProductManager::RefreshCatalogue(int download) {
    CWOW64 wow64;
    UpdateWow64Flag(wow64);
    // A failed download leaves the file already there; it is read either way.
    if (!download || !DownloadAndLoad(*this)) LoadCatalogue();
    processIds.clear();
}
