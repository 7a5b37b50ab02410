#pragma once
// A catalogue download as it will be asked for, checked against every limit
// before anything is asked: the addresses against the download module's
// request buffers, the work files of a signed download against the path
// limit. A download that would not fit is not begun, so the catalogue in use
// stays, and the reason names the part, its length and the limit.
#include <string>

struct CatalogueDownloadPlan {
    std::wstring catalogue;  // the catalogue file in use: the target of an unsigned download
    std::wstring address;    // from ProductCfg.ini, for this process's catalogue
    std::wstring key;        // the vendor's key beside the catalogue; empty: downloads are not signed
    std::wstring problem;    // why the download can't be asked for; empty when it can
};

// The plan for the module whose file lies in moduleFolder.
CatalogueDownloadPlan PlanCatalogueDownload(const std::wstring& moduleFolder);
