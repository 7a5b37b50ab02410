#include "update/download_plan.h"

#include <windows.h>

#include "catalogue/catalogue_parser.h"
#include "signature/catalogue_key.h"
#include "support/module_path.h"
#include "support/wow64.h"
#include "update/catalogue_download.h"
#include "update/work_files.h"
#include "win32/file_bytes.h"

namespace {

// The longest time limit a request carries: its length counts in the document.
const DWORD kLongestTimeLimitMs = 60000;
const DWORD kIniBuffer = 2048;

// Reads the catalogue address for this process. Addresses are never cut: a
// value too long for any sane buffer reads as not usable (false).
bool ReadCatalogueAddress(const std::wstring& iniPath, std::wstring& address) {
    wchar_t value[kIniBuffer] = {};
    const wchar_t* key = g_bIsWow64 ? L"file64_url" : L"file32_url";
    const DWORD length = GetPrivateProfileStringW(L"SMPPluginsCfg", key, L"", value, kIniBuffer, iniPath.c_str());
    if (length >= kIniBuffer - 1) return false;
    address = value;
    return true;
}

std::wstring PathProblem(const std::wstring& path) {
    if (path.size() < MAX_PATH) return std::wstring();
    return L"its work file " + path + L" would be " + std::to_wstring(path.size()) +
           L" characters long, over the path limit of " + std::to_wstring(MAX_PATH - 1);
}

// A signed download asks for the catalogue and its signature into work files
// of its own: every path and both requests must fit.
std::wstring SignedProblem(const CatalogueDownloadPlan& plan) {
    // The longest first: the one named is the one that must become shorter.
    for (const std::wstring& path :
         {RefreshWorkFiles::SignaturePathFor(plan.catalogue), RefreshWorkFiles::CataloguePathFor(plan.catalogue),
          RefreshWorkFiles::LockPathFor(plan.catalogue)}) {
        const std::wstring problem = PathProblem(path);
        if (!problem.empty()) return problem;
    }
    DownloadRequestFields catalogue{{plan.address}, RefreshWorkFiles::CataloguePathFor(plan.catalogue)};
    catalogue.timeLimitMs = kLongestTimeLimitMs;
    DownloadRequestFields signature{{plan.address + L".sig"}, RefreshWorkFiles::SignaturePathFor(plan.catalogue)};
    signature.timeLimitMs = kLongestTimeLimitMs;
    std::wstring problem;
    if (!DownloadRequestDocument(catalogue, L"catalogue's", &problem)) return problem;
    DownloadRequestDocument(signature, L"signature's", &problem);
    return problem;
}

}  // namespace

CatalogueDownloadPlan PlanCatalogueDownload(const std::wstring& moduleFolder) {
    CatalogueDownloadPlan plan;
    plan.catalogue = CataloguePathIn(moduleFolder);
    std::wstring iniPath = moduleFolder;
    if (plan.catalogue.empty() || !JoinPath(iniPath, L"ProductCfg") || !JoinPath(iniPath, L"ProductCfg.ini")) {
        plan.problem = L"the module's folder is unknown, or the catalogue's path does not fit the path limit of " +
                       std::to_wstring(MAX_PATH - 1);
        return plan;
    }
    if (!ReadCatalogueAddress(iniPath, plan.address)) {
        plan.problem = L"the address in ProductCfg.ini fills its " + std::to_wstring(kIniBuffer) +
                       L"-character buffer and may be cut";
        return plan;
    }
    const std::wstring key = CatalogueKeyPathIn(moduleFolder);
    if (!key.empty() && !FileIsMissing(key)) plan.key = key;
    if (!plan.key.empty()) {
        plan.problem = SignedProblem(plan);
    } else {
        DownloadRequestDocument({{plan.address}, plan.catalogue, L"", L"", std::nullopt}, L"catalogue's",
                                &plan.problem);
    }
    return plan;
}
