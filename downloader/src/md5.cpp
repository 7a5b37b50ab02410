#include "md5.h"

#include <windows.h>
#include <wincrypt.h>

#include <cwctype>

#include "support/win_owners.h"

namespace zqd {
namespace {

struct CryptProviderTraits {
    using Handle = HCRYPTPROV;
    static Handle Invalid() { return 0; }
    static bool IsValid(Handle provider) { return provider != 0; }
    static void Close(Handle provider) { CryptReleaseContext(provider, 0); }
};
using CryptProvider = UniqueWinHandle<CryptProviderTraits>;

struct CryptHashTraits {
    using Handle = HCRYPTHASH;
    static Handle Invalid() { return 0; }
    static bool IsValid(Handle hash) { return hash != 0; }
    static void Close(Handle hash) { CryptDestroyHash(hash); }
};
using CryptHash = UniqueWinHandle<CryptHashTraits>;

std::wstring ToHex(const BYTE* bytes, DWORD count) {
    const wchar_t* digits = L"0123456789abcdef";
    std::wstring hex;
    for (DWORD i = 0; i < count; ++i) {
        hex += digits[bytes[i] >> 4];
        hex += digits[bytes[i] & 0x0F];
    }
    return hex;
}

bool EqualsIgnoringCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    }
    return true;
}

}  // namespace

std::optional<std::wstring> Md5Hex(const std::string& bytes) {
    // Declared first, released last: the hash belongs to the provider.
    CryptProvider provider;
    if (!CryptAcquireContextW(provider.Receive(), nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
        return std::nullopt;
    CryptHash hash;
    if (!CryptCreateHash(provider.Get(), CALG_MD5, 0, 0, hash.Receive())) return std::nullopt;
    const BYTE* data = reinterpret_cast<const BYTE*>(bytes.data());
    if (!CryptHashData(hash.Get(), data, static_cast<DWORD>(bytes.size()), 0)) return std::nullopt;

    BYTE digest[16];
    DWORD length = sizeof digest;
    if (!CryptGetHashParam(hash.Get(), HP_HASHVAL, digest, &length, 0)) return std::nullopt;
    return ToHex(digest, length);
}

bool Md5Matches(const std::string& bytes, const std::wstring& expectedHex) {
    const std::optional<std::wstring> actual = Md5Hex(bytes);
    return actual && EqualsIgnoringCase(*actual, expectedHex);
}

}  // namespace zqd
