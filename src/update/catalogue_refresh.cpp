#include "catalogue/product_manager.h"
#include "support/wow64.h"
#include "update/catalogue_download.h"

void ProductManager::RefreshCatalogue(int download) {
    CWOW64 wow64;
    UpdateWow64Flag(wow64);
    // A failed download leaves the file already there; it is read either way.
    if (download) DownloadCatalogue(hostParam);
    LoadCatalogue();
    processIds.clear();
}
