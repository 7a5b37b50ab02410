#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "update/download_plan.h"
#include "wareseek/download_api.h"
#include "win32/win_owners.h"

// The fields of one InsideParam request to the download module.
struct DownloadRequestFields {
    std::vector<std::wstring> urls;
    std::wstring filePath;
    std::wstring md5{};
    std::wstring text{};
    // When set, the start tag also carries "timeLimit", the milliseconds the
    // download may take at most, so that two downloads of one refresh keep to
    // one deadline. A download module that does not know the attribute
    // ignores it, as every XML reader ignores attributes it does not read.
    std::optional<DWORD> timeLimitMs{};
};

// The request document, or nothing when an address or the whole document
// exceeds the download module's fixed limits; problem, when given, then says
// which, how long and what the limit is, naming the download as what.
std::optional<std::wstring> DownloadRequestDocument(const DownloadRequestFields& fields, const wchar_t* what = L"",
                                                    std::wstring* problem = nullptr);

// The same without a time limit; false (document empty) when it does not fit.
bool BuildDownloadRequest(const std::vector<std::wstring>& urls, const std::wstring& filePath, const std::wstring& md5,
                          const std::wstring& text, std::wstring& document);

// zqdownload.dll from the module's own folder, loaded at the first request
// and unloaded when the object goes.
class DownloadModule {
public:
    DownloadModule() = default;
    DownloadModule(const DownloadModule&) = delete;
    DownloadModule& operator=(const DownloadModule&) = delete;

    // Hands the download module one InsideParam request. The result of
    // DownloadPackage, or 0 when it cannot be called or the request does not
    // fit its limits.
    int32_t Request(const DownloadRequestFields& fields, int32_t passHostValue, uint32_t hostValue);

private:
    UniqueModule m_library;
    DownloadPackageFn m_downloadPackage = nullptr;
};

// Has zqdownload.dll fetch the catalogue over the file in use, from the
// planned address, and logs the outcome. 1 when the download module reported
// success, else 0.
int32_t DownloadCatalogue(const CatalogueDownloadPlan& plan, uint32_t hostParam);

// Loads zqdownload.dll from the module's own folder, hands it one InsideParam
// request and unloads it again. The result of DownloadPackage, or 0 when it
// cannot be called or the request does not fit its limits.
int32_t RequestDownload(const std::vector<std::wstring>& urls, const std::wstring& filePath, const std::wstring& md5,
                        const std::wstring& text, int32_t passHostValue, uint32_t hostValue);
