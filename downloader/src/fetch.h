// Fetching one address into memory: http:, https: (WinINet) and file:.
#ifndef ZQDOWNLOAD_FETCH_H
#define ZQDOWNLOAD_FETCH_H

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

namespace zqd {

struct FetchLimits {
    std::size_t maxBytes;  // larger contents are refused
    DWORD timeoutMs;       // connect, send and receive time-outs
};

// What DownloadPackage uses: 16 MiB, 15 s.
constexpr FetchLimits kDefaultLimits = {16u * 1024u * 1024u, 15000};

// The complete content of url, or nothing on any failure (unsupported scheme,
// network error, status other than 200, truncation, oversize, missing file).
std::optional<std::string> FetchUrl(const std::wstring& url, const FetchLimits& limits);

std::optional<std::string> FetchHttp(const std::wstring& url, const FetchLimits& limits);
std::optional<std::string> FetchFileUrl(const std::wstring& url, const FetchLimits& limits);

}  // namespace zqd

#endif
