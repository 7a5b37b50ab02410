#include "scan/name_guid.h"

#include <cwctype>

#include "text/hex_text.h"
#include "win32/digest.h"

std::wstring NameBasedGuid(const GuidBytes& nameSpace, const std::string& name) {
    const std::vector<uint8_t> digest = Digest(CALG_SHA1, std::string(nameSpace.begin(), nameSpace.end()) + name);
    GuidBytes guid = {};
    for (size_t i = 0; i < guid.size() && i < digest.size(); ++i) guid[i] = digest[i];
    guid[6] = static_cast<uint8_t>((guid[6] & 0x0F) | 0x50);  // version 5
    guid[8] = static_cast<uint8_t>((guid[8] & 0x3F) | 0x80);  // the RFC 4122 variant
    std::wstring text = L"{";
    size_t from = 0;
    for (const size_t to : {4, 6, 8, 10, 16}) {
        if (from != 0) text += L'-';
        text += HexBytes(guid.data() + from, to - from, HexCase::kUpper);
        from = to;
    }
    return text + L"}";
}

bool IsBracedGuid(const std::wstring& text) {
    if (text.size() != 38 || text.front() != L'{' || text.back() != L'}') return false;
    for (size_t i = 1; i < 37; ++i) {
        const bool hyphenPlace = i == 9 || i == 14 || i == 19 || i == 24;
        if (hyphenPlace ? text[i] != L'-' : !iswxdigit(text[i])) return false;
    }
    return true;
}
