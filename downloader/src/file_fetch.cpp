// file: addresses, turned into a path by the shell and read whole.
#include <windows.h>
#include <shlwapi.h>

#include "fetch.h"
#include "win32/file_bytes.h"

namespace zqd {
namespace {

std::optional<std::wstring> PathFromUrl(const std::wstring& url) {
    std::wstring path(32768, L'\0');
    DWORD length = static_cast<DWORD>(path.size());
    if (PathCreateFromUrlW(url.c_str(), &path[0], &length, 0) != S_OK) return std::nullopt;
    path.resize(length);
    return path;
}

}  // namespace

std::optional<std::string> FetchFileUrl(const std::wstring& url, const FetchLimits& limits) {
    const std::optional<std::wstring> path = PathFromUrl(url);
    if (!path) return std::nullopt;
    return ReadFileBytes(*path, limits.maxBytes);
}

}  // namespace zqd
