// The "InsideParam" request document the host passes to DownloadPackage.
#ifndef ZQDOWNLOAD_DOWNLOAD_REQUEST_H
#define ZQDOWNLOAD_DOWNLOAD_REQUEST_H

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace zqd {

struct DownloadRequest {
    std::wstring targetPath;         // "filepath": the file to (re)write
    std::wstring md5;                // "MD5": expected hex digest, empty = unchecked
    std::vector<std::wstring> urls;  // <url> children in order, empty ones dropped
    // "timeLimit": milliseconds the whole download may take at most, so that a
    // caller making several downloads can hold them all to one deadline.
    // Absent or not a decimal number: the module's own limit alone.
    std::optional<DWORD> timeLimitMs{};
};

// Parses the document with MSXML. Returns nothing when the document is not
// well formed, its root is not InsideParam, or it names no file or address.
std::optional<DownloadRequest> ParseDownloadRequest(const wchar_t* document);

}  // namespace zqd

#endif
