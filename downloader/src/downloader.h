// The whole download: parse the request, fetch, verify, replace the file.
#ifndef ZQDOWNLOAD_DOWNLOADER_H
#define ZQDOWNLOAD_DOWNLOADER_H

#include <optional>
#include <string>

#include "download_request.h"
#include "fetch.h"

namespace zqd {

// The content of the first address, in order, that is fetched within the
// transfer's limits, is not empty and matches the digest (if any).
std::optional<std::string> FirstAcceptedContent(const DownloadRequest& request, Transfer& transfer);

// Fetches as above, all within one transferMs from the start, and puts the
// content in place of the target file. The file is written only here, on the
// caller's thread, and only when the content arrived before the deadline.
bool DownloadToFile(const DownloadRequest& request, const FetchLimits& limits);

// DownloadPackage's work for one request document.
bool HandleRequestDocument(const wchar_t* document, const FetchLimits& limits);

}  // namespace zqd

#endif
