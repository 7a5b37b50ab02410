#include "scan/xml_chars.h"

#include "xml/xml_escape.h"

namespace {

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Length of the XML character at text[i] (1, or 2 for a surrogate pair); 0
// when it is none.
size_t XmlCharacterAt(const std::wstring& text, size_t i) {
    const wchar_t c = text[i];
    if (IsHighSurrogate(c)) return i + 1 < text.size() && IsLowSurrogate(text[i + 1]) ? 2 : 0;
    if (IsLowSurrogate(c) || c == 0xFFFE || c == 0xFFFF) return 0;
    if (c < 0x20 && c != L'\t' && c != L'\n' && c != L'\r') return 0;
    return 1;
}

}  // namespace

bool SurvivesAttribute(const std::wstring& text) {
    for (size_t i = 0; i < text.size();) {
        const size_t length = XmlCharacterAt(text, i);
        if (length == 0 || text[i] < 0x20) return false;
        i += length;
    }
    return true;
}

std::wstring XmlCharacters(const std::wstring& text) {
    std::wstring result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t length = XmlCharacterAt(text, i);
        result.append(length == 0 ? std::wstring(1, L'\xFFFD') : text.substr(i, length));
        i += length == 0 ? 1 : length;
    }
    return result;
}

std::wstring CommentText(const std::wstring& text) {
    std::wstring result = XmlEscape(XmlCharacters(text));
    for (size_t at = result.find(L"--"); at != std::wstring::npos; at = result.find(L"--", at)) {
        result.insert(at + 1, 1, L' ');
    }
    if (!result.empty() && result.back() == L'-') result.push_back(L' ');
    return result;
}
