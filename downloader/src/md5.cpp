#include "md5.h"

#include <cwctype>

#include "text/hex_text.h"
#include "win32/digest.h"

namespace zqd {
namespace {

bool EqualsIgnoringCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    }
    return true;
}

}  // namespace

std::optional<std::wstring> Md5Hex(const std::string& bytes) {
    const std::vector<uint8_t> digest = Digest(CALG_MD5, bytes);
    if (digest.empty()) return std::nullopt;
    return HexBytes(digest.data(), digest.size(), HexCase::kLower);
}

bool Md5Matches(const std::string& bytes, const std::wstring& expectedHex) {
    const std::optional<std::wstring> actual = Md5Hex(bytes);
    return actual && EqualsIgnoringCase(*actual, expectedHex);
}

}  // namespace zqd
