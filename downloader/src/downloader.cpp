#include "downloader.h"

#include <algorithm>

#include "fetch_worker.h"
#include "md5.h"
#include "log/debug_log.h"
#include "win32/file_bytes.h"

namespace zqd {
namespace {

// Says why the fetched file could not be put in place. The usual cause on
// Windows is a host running as a standard user with the file under Program
// Files, which only administrators may write; Windows gives the same error
// for a file that another program holds without delete sharing.
void LogWriteFailure(const std::wstring& target, DWORD error) {
    const wchar_t* reason = L"the file could not be written";
    if (error == ERROR_ACCESS_DENIED) {
        reason = L"access denied: this account may not write that folder (a host without administrator rights "
                 L"needs a folder it can write), or another program holds the file";
    } else if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
        reason = L"another program holds the file";
    }
    CMLog::GetInstance().Log(L"download not saved to %s: %s (error %lu)", target.c_str(), reason, error);
}

}  // namespace

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
    if (!content) return false;
    // A write failure would repeat for every other address.
    if (ReplaceFileAtomically(request.targetPath, *content)) return true;
    LogWriteFailure(request.targetPath, GetLastError());
    return false;
}

bool HandleRequestDocument(const wchar_t* document, const FetchLimits& limits) {
    const std::optional<DownloadRequest> request = ParseDownloadRequest(document);
    if (!request) return false;
    FetchLimits own = limits;
    if (request->timeLimitMs) own.transferMs = std::min(own.transferMs, *request->timeLimitMs);
    return DownloadToFile(*request, own);
}

}  // namespace zqd
