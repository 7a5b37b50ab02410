#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Has zqdownload.dll fetch this process's catalogue file from the address in
// ProductCfg.ini. 1 when the download module reported success, else 0.
int32_t DownloadCatalogue(uint32_t hostParam);

// Loads zqdownload.dll from the module's own folder, hands it one InsideParam
// request and unloads it again. The result of DownloadPackage, or 0 when it
// cannot be called or the request does not fit its limits.
int32_t RequestDownload(const std::vector<std::wstring>& urls, const std::wstring& filePath, const std::wstring& md5,
                        const std::wstring& text, int32_t passHostValue, uint32_t hostValue);

// The InsideParam request document; false (document empty) when an address or
// the whole document exceeds the download module's fixed limits.
bool BuildDownloadRequest(const std::vector<std::wstring>& urls, const std::wstring& filePath, const std::wstring& md5,
                          const std::wstring& text, std::wstring& document);
