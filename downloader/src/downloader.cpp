#include "downloader.h"

#include "fetch_worker.h"
#include "md5.h"
#include "support/file_bytes.h"

namespace zqd {

std::optional<std::string> FirstAcceptedContent(const DownloadRequest& request, Transfer& transfer) {
    for (const std::wstring& url : request.urls) {
        std::optional<std::string> content = FetchUrl(url, transfer);
        // An empty answer is never a catalogue: a server that lost the file
        // must not blank the one already here.
        if (!content || content->empty()) continue;
        // A mirror with a damaged copy is skipped like an unreachable one.
        if (!request.md5.empty() && !Md5Matches(*content, request.md5)) continue;
        return content;
    }
    return std::nullopt;
}

bool DownloadToFile(const DownloadRequest& request, const FetchLimits& limits) {
    const std::optional<std::string> content = FetchBeforeDeadline(request, limits);
    // A write failure would repeat for every other address.
    return content && ReplaceFileAtomically(request.targetPath, *content);
}

bool HandleRequestDocument(const wchar_t* document, const FetchLimits& limits) {
    const std::optional<DownloadRequest> request = ParseDownloadRequest(document);
    return request && DownloadToFile(*request, limits);
}

}  // namespace zqd
