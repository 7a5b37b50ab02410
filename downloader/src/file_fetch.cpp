// file: addresses, turned into a path by the shell and read whole.
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>

#include "fetch.h"
#include "support/win_owners.h"

namespace zqd {
namespace {

std::optional<std::wstring> PathFromUrl(const std::wstring& url) {
    std::wstring path(32768, L'\0');
    DWORD length = static_cast<DWORD>(path.size());
    if (PathCreateFromUrlW(url.c_str(), &path[0], &length, 0) != S_OK) return std::nullopt;
    path.resize(length);
    return path;
}

bool ReadAll(HANDLE file, std::string& contents) {
    std::size_t done = 0;
    while (done < contents.size()) {
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(contents.size() - done, 1u << 20));
        DWORD read = 0;
        if (!ReadFile(file, &contents[done], wanted, &read, nullptr) || read == 0) return false;
        done += read;
    }
    return true;
}

}  // namespace

std::optional<std::string> FetchFileUrl(const std::wstring& url, const FetchLimits& limits) {
    const std::optional<std::wstring> path = PathFromUrl(url);
    if (!path) return std::nullopt;
    UniqueFile file(CreateFileW(path->c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.Get(), &size)) return std::nullopt;
    if (static_cast<unsigned long long>(size.QuadPart) > limits.maxBytes) return std::nullopt;

    std::string contents(static_cast<std::size_t>(size.QuadPart), '\0');
    if (!ReadAll(file.Get(), contents)) return std::nullopt;
    return contents;
}

}  // namespace zqd
