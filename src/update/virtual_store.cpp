#include "update/virtual_store.h"

#include <windows.h>
#include <shlobj.h>

#include "win32/win_owners.h"

namespace {

bool TokenVirtualised() {
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return false;
    DWORD enabled = 0;
    DWORD size = sizeof enabled;
    return GetTokenInformation(token.Get(), TokenVirtualizationEnabled, &enabled, size, &size) && enabled;
}

}  // namespace

std::wstring VirtualStoreCopy(const std::wstring& path) {
    // Windows keeps the copy under the user's local application data, in
    // VirtualStore, at the path without its drive: C:\Program Files\x is
    // %LOCALAPPDATA%\VirtualStore\Program Files\x.
    if (path.size() < 3 || path[1] != L':' || path[2] != L'\\' || !TokenVirtualised()) return std::wstring();
    wchar_t local[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local) != S_OK) return std::wstring();
    const std::wstring copy = std::wstring(local) + L"\\VirtualStore" + path.substr(2);
    return GetFileAttributesW(copy.c_str()) != INVALID_FILE_ATTRIBUTES ? copy : std::wstring();
}
