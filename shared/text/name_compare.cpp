#include "text/name_compare.h"

#include <windows.h>

int CompareNames(std::wstring_view a, std::wstring_view b) noexcept {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) -
           CSTR_EQUAL;
}

bool SameName(std::wstring_view a, std::wstring_view b) noexcept {
    return CompareNames(a, b) == 0;
}

bool StartsWithName(std::wstring_view text, std::wstring_view prefix) noexcept {
    return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}
