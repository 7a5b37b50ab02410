// A download's fetching, run on a worker thread so that a server cannot hold
// the caller's thread past the deadline.
#ifndef ZQDOWNLOAD_FETCH_WORKER_H
#define ZQDOWNLOAD_FETCH_WORKER_H

#include <optional>
#include <string>

#include "download_request.h"
#include "fetch.h"

namespace zqd {

// The content of the first accepted address of request (FirstAcceptedContent),
// fetched on a thread of its own and waited for no longer than
// limits.transferMs. When the deadline passes first, the download's internet
// handles are closed, which on Windows ends the worker's pending call, and
// nothing is returned. The worker keeps this module loaded until it ends, so
// a caller may unload the module as soon as this returns.
std::optional<std::string> FetchBeforeDeadline(const DownloadRequest& request, const FetchLimits& limits);

}  // namespace zqd

#endif
