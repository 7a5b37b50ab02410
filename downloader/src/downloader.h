// The whole download: parse the request, fetch, verify, replace the file.
#ifndef ZQDOWNLOAD_DOWNLOADER_H
#define ZQDOWNLOAD_DOWNLOADER_H

#include "download_request.h"
#include "fetch.h"

namespace zqd {

// Tries each address in order, all within one transferMs from the start; the
// first whose content is fetched within the limits, is not empty and matches
// the digest (if any) replaces the target file.
bool DownloadToFile(const DownloadRequest& request, const FetchLimits& limits);

// DownloadPackage's work for one request document.
bool HandleRequestDocument(const wchar_t* document, const FetchLimits& limits);

}  // namespace zqd

#endif
