#include "detection/split_path.h"

#include <cwchar>
#include <string_view>

int32_t SplitPath(const wchar_t* path, wchar_t* folder, wchar_t* file) {
    if (!path || !*path) return 0;
    const size_t length = wcsnlen(path, MAX_PATH);
    if (length >= MAX_PATH) return 0;
    const size_t split = std::wstring_view(path, length).find_last_of(L"\\/");
    if (split == std::wstring_view::npos) return 0;
    const size_t folderLength = split + 1;
    wmemcpy(folder, path, folderLength);
    folder[folderLength] = L'\0';
    wmemcpy(file, path + folderLength, length - folderLength + 1);  // with its terminator
    return 1;
}

int32_t BinaryTypeFromFileName(const wchar_t* fileName, int32_t otherwise) {
    const wchar_t* extension = fileName ? wcsrchr(fileName, L'.') : nullptr;
    if (!extension) return otherwise;
    if (wcscmp(extension, L".exe") == 0) return 0;
    if (wcscmp(extension, L".dll") == 0) return 1;
    return otherwise;
}
