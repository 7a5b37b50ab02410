// The "InsideParam" request document the host passes to DownloadPackage.
#ifndef ZQDOWNLOAD_DOWNLOAD_REQUEST_H
#define ZQDOWNLOAD_DOWNLOAD_REQUEST_H

#include <optional>
#include <string>
#include <vector>

namespace zqd {

struct DownloadRequest {
    std::wstring targetPath;         // "filepath": the file to (re)write
    std::wstring md5;                // "MD5": expected hex digest, empty = unchecked
    std::vector<std::wstring> urls;  // <url> children in order, empty ones dropped
};

// Parses the document with MSXML. Returns nothing when the document is not
// well formed, its root is not InsideParam, or it names no file or address.
std::optional<DownloadRequest> ParseDownloadRequest(const wchar_t* document);

}  // namespace zqd

#endif
