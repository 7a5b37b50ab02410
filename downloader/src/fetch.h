// Fetching one address into memory: http:, https: (WinINet) and file:.
#ifndef ZQDOWNLOAD_FETCH_H
#define ZQDOWNLOAD_FETCH_H

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

#include "transfer_handles.h"
#include "win32/deadline.h"

namespace zqd {

struct FetchLimits {
    std::size_t maxBytes;  // larger contents are refused
    DWORD timeoutMs;       // connect, send and each receive wait
    DWORD transferMs;      // the whole download, every address tried included
};

// What DownloadPackage uses: 16 MiB, 15 s per wait, 60 s in all.
constexpr FetchLimits kDefaultLimits = {16u * 1024u * 1024u, 15000, 60000};

// One download: its limits, the deadline fixed when it starts, and the
// internet handles it has open, which the thread waiting for it closes when
// the deadline passes.
struct Transfer {
    // The deadline is fixed when the download starts and shared by every
    // address it tries, so a slow server cannot hold the caller's thread long.
    explicit Transfer(const FetchLimits& fetchLimits) : limits(fetchLimits), deadline(fetchLimits.transferMs) {}

    // False once the deadline has passed or the handles have been closed.
    bool Going() const { return deadline.Remaining() && !handles.Closed(); }

    const FetchLimits limits;
    const Deadline deadline;
    TransferHandles handles;
};

// The complete content of url, or nothing on any failure (unsupported scheme,
// network error, status other than 200, truncation, oversize, missing file,
// too many redirects or one from https to http, refused certificate, deadline
// passed).
std::optional<std::string> FetchUrl(const std::wstring& url, Transfer& transfer);

std::optional<std::string> FetchHttp(const std::wstring& url, Transfer& transfer);
std::optional<std::string> FetchFileUrl(const std::wstring& url, const FetchLimits& limits);

}  // namespace zqd

#endif
