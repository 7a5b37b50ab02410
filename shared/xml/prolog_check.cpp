#include "xml/prolog_check.h"

#include <algorithm>
#include <cwctype>

namespace {

enum class Prolog { Clean, Refused, Unfinished };

bool IsXmlSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

// Walks white space, processing instructions (the XML declaration among
// them) and comments up to the first element. The only other thing a
// well-formed prolog may hold is a DOCTYPE; anything else there means the
// text is not XML or was decoded wrongly, and is refused as well.
Prolog ScanProlog(std::wstring_view text) {
    size_t at = !text.empty() && text[0] == 0xFEFF ? 1 : 0;
    for (;;) {
        while (at < text.size() && IsXmlSpace(text[at])) ++at;
        if (at + 1 >= text.size()) return Prolog::Unfinished;
        if (text[at] != L'<') return Prolog::Refused;
        const std::wstring_view rest = text.substr(at);
        size_t end = std::wstring_view::npos;
        if (rest[1] == L'?') {
            end = rest.find(L"?>", 2);
            if (end != std::wstring_view::npos) end += 2;
        } else if (rest[1] == L'!') {
            if (rest.size() < 4) return Prolog::Unfinished;
            if (rest.substr(0, 4) != L"<!--") return Prolog::Refused;  // <!DOCTYPE
            end = rest.find(L"-->", 4);
            if (end != std::wstring_view::npos) end += 3;
        } else {
            return Prolog::Clean;
        }
        if (end == std::wstring_view::npos) return Prolog::Unfinished;
        at += end;
    }
}

// How a file's bytes carry characters, told from its first four bytes as
// XML's own encoding detection does.
struct ByteLayout {
    size_t unitBytes = 1;
    bool bigEndian = false;
    bool ebcdic = false;
    size_t markBytes = 0;  // a byte-order mark to skip
};

ByteLayout DetectLayout(const std::string& bytes) {
    auto startsWith = [&bytes](const char* prefix, size_t length) {
        return bytes.size() >= length && bytes.compare(0, length, prefix, length) == 0;
    };
    if (startsWith("\x00\x00\xFE\xFF", 4)) return {4, true, false, 4};
    if (startsWith("\xFF\xFE\x00\x00", 4)) return {4, false, false, 4};
    if (startsWith("\xFE\xFF", 2)) return {2, true, false, 2};
    if (startsWith("\xFF\xFE", 2)) return {2, false, false, 2};
    if (startsWith("\xEF\xBB\xBF", 3)) return {1, false, false, 3};
    if (startsWith("\x00\x00\x00\x3C", 4)) return {4, true, false, 0};
    if (startsWith("\x3C\x00\x00\x00", 4)) return {4, false, false, 0};
    if (startsWith("\x00\x3C", 2)) return {2, true, false, 0};
    if (startsWith("\x3C\x00", 2)) return {2, false, false, 0};
    if (startsWith("\x4C\x6F\xA7\x94", 4)) return {1, false, true, 0};
    return {};
}

// The EBCDIC code points of the characters a prolog scan looks at; every
// other byte stands for some character the scan does not care about.
wchar_t FromEbcdic(unsigned char byte) {
    switch (byte) {
        case 0x40: return L' ';
        case 0x05: return L'\t';
        case 0x0D: return L'\r';
        case 0x15:
        case 0x25: return L'\n';
        case 0x4C: return L'<';
        case 0x6E: return L'>';
        case 0x6F: return L'?';
        case 0x5A: return L'!';
        case 0x60: return L'-';
        default: return L'x';
    }
}

// The characters of the whole units in bytes. Bytes of multi-byte code pages
// come out one by one: their ASCII characters are the ones that matter.
std::wstring DecodeForScan(const std::string& bytes, const ByteLayout& layout) {
    std::wstring text;
    for (size_t at = layout.markBytes; at + layout.unitBytes <= bytes.size(); at += layout.unitBytes) {
        unsigned long unit = 0;
        for (size_t i = 0; i < layout.unitBytes; ++i) {
            const size_t index = layout.bigEndian ? at + i : at + layout.unitBytes - 1 - i;
            unit = unit << 8 | static_cast<unsigned char>(bytes[index]);
        }
        if (layout.ebcdic) unit = FromEbcdic(static_cast<unsigned char>(unit));
        text += unit > 0xFFFF ? wchar_t{0xFFFD} : static_cast<wchar_t>(unit);
    }
    return text;
}

// UTF-7 spells '<' and '!' in letters, so a byte-wise scan cannot see what a
// UTF-7 document's prolog holds: such documents are refused outright.
bool DeclaresUtf7(std::wstring text) {
    if (text.compare(0, 5, L"<?xml") != 0) return false;
    text = text.substr(0, text.find(L"?>"));
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return towlower(c); });
    text.erase(std::remove(text.begin(), text.end(), L'-'), text.end());
    return text.find(L"utf7") != std::wstring::npos;
}

Prolog ScanFileStart(const std::string& bytes) {
    const ByteLayout layout = DetectLayout(bytes);
    const std::wstring text = DecodeForScan(bytes, layout);
    const Prolog verdict = ScanProlog(text);
    if (layout.unitBytes == 1 && !layout.ebcdic && verdict != Prolog::Refused && DeclaresUtf7(text)) {
        return Prolog::Refused;
    }
    return verdict;
}

}  // namespace

bool TextPrologRefused(std::wstring_view text) {
    return ScanProlog(text) == Prolog::Refused;
}

bool BytesPrologRefused(const std::string& bytes) {
    return ScanFileStart(bytes) == Prolog::Refused;
}
