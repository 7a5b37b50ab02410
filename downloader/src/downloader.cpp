#include "downloader.h"

#include "md5.h"
#include "support/file_bytes.h"

namespace zqd {

bool DownloadToFile(const DownloadRequest& request, const FetchLimits& limits) {
    const Deadline deadline(limits.transferMs);
    for (const std::wstring& url : request.urls) {
        const std::optional<std::string> content = FetchUrl(url, limits, deadline);
        // An empty answer is never a catalogue: a server that lost the file
        // must not blank the one already here.
        if (!content || content->empty()) continue;
        // A mirror with a damaged copy is skipped like an unreachable one.
        if (!request.md5.empty() && !Md5Matches(*content, request.md5)) continue;
        // A write failure would repeat for every other address.
        return ReplaceFileAtomically(request.targetPath, *content);
    }
    return false;
}

bool HandleRequestDocument(const wchar_t* document, const FetchLimits& limits) {
    const std::optional<DownloadRequest> request = ParseDownloadRequest(document);
    return request && DownloadToFile(*request, limits);
}

}  // namespace zqd
