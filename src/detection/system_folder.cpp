#include "detection/system_folder.h"

#include <windows.h>

#include <cwctype>

namespace {

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

}  // namespace

bool LiesInSystemFolder(const wchar_t* path) {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    for (UINT i = 0; i < length; ++i) {
        const bool same = towlower(path[i]) == towlower(folder[i]) || (IsSeparator(path[i]) && IsSeparator(folder[i]));
        if (!same) return false;  // a shorter path stops here at its terminator
    }
    return path[length] == L'\0' || IsSeparator(path[length]);
}
