#include "text/text_trim.h"

std::wstring TrimmedText(const std::wstring& text, const wchar_t* blanks) {
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::wstring::npos) return std::wstring();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}
