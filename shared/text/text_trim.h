#pragma once
#include <string>

// text without the blanks at either end; blanks are space, tab, CR and LF
// unless the caller names others.
std::wstring TrimmedText(const std::wstring& text, const wchar_t* blanks = L" \t\r\n");
