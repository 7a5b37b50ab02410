#include "win32/system_library.h"

#include <string>

UniqueModule LoadSystemLibrary(const wchar_t* fileName) {
    // The library's own imports are taken from the system folder too.
    UniqueModule library(LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (library || GetLastError() != ERROR_INVALID_PARAMETER) return library;
    // Windows 7 without update KB2533623 knows no LOAD_LIBRARY_SEARCH_ flag:
    // name the file in the system folder, and have its imports looked for
    // beside it first.
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return library;
    const std::wstring path = std::wstring(folder) + L"\\" + fileName;
    library.Reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    return library;
}
