#pragma once
// Names compared as Windows compares file names: ordinal, letter case
// ignored (the file system's own rule), so "winword.exe" and "WINWORD.EXE"
// name the same file.
#include <string_view>

// Less than, equal to or greater than 0 as a sorts before, with or after b.
int CompareNames(std::wstring_view a, std::wstring_view b) noexcept;
bool SameName(std::wstring_view a, std::wstring_view b) noexcept;
bool StartsWithName(std::wstring_view text, std::wstring_view prefix) noexcept;
