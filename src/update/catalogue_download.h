#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "wareseek/download_api.h"
#include "win32/win_owners.h"

// Where a catalogue download puts what it fetches.
struct CatalogueDownloadFiles {
    std::wstring catalogue;  // empty: over this process's catalogue file itself
    std::wstring signature;  // empty: no signature is fetched
};

// Has zqdownload.dll fetch this process's catalogue from the address in
// ProductCfg.ini. 1 when the download module reported success, else 0. With
// a signature file, a catalogue that arrived is followed by its detached
// signature from the same address with ".sig" appended, through the same
// load of the download module.
int32_t DownloadCatalogue(uint32_t hostParam, const CatalogueDownloadFiles& files = CatalogueDownloadFiles());

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
    int32_t Request(const std::vector<std::wstring>& urls, const std::wstring& filePath, const std::wstring& md5,
                    const std::wstring& text, int32_t passHostValue, uint32_t hostValue);

private:
    UniqueModule m_library;
    DownloadPackageFn m_downloadPackage = nullptr;
};

// Loads zqdownload.dll from the module's own folder, hands it one InsideParam
// request and unloads it again. The result of DownloadPackage, or 0 when it
// cannot be called or the request does not fit its limits.
int32_t RequestDownload(const std::vector<std::wstring>& urls, const std::wstring& filePath, const std::wstring& md5,
                        const std::wstring& text, int32_t passHostValue, uint32_t hostValue);

// The InsideParam request document; false (document empty) when an address or
// the whole document exceeds the download module's fixed limits.
bool BuildDownloadRequest(const std::vector<std::wstring>& urls, const std::wstring& filePath, const std::wstring& md5,
                          const std::wstring& text, std::wstring& document);
