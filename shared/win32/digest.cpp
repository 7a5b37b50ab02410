#include "win32/digest.h"

#include "win32/crypt_owners.h"

std::vector<uint8_t> Digest(ALG_ID algorithm, const std::string& bytes) {
    // Declared first, released last: the hash belongs to the provider.
    UniqueCryptProvider provider;
    if (!CryptAcquireContextW(provider.Receive(), nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) return {};
    UniqueCryptHash hash;
    if (!CryptCreateHash(provider.Get(), algorithm, 0, 0, hash.Receive())) return {};
    const BYTE* data = reinterpret_cast<const BYTE*>(bytes.data());
    if (!CryptHashData(hash.Get(), data, static_cast<DWORD>(bytes.size()), 0)) return {};
    DWORD length = 0;
    DWORD lengthSize = sizeof length;
    if (!CryptGetHashParam(hash.Get(), HP_HASHSIZE, reinterpret_cast<BYTE*>(&length), &lengthSize, 0)) return {};
    std::vector<uint8_t> digest(length);
    if (!CryptGetHashParam(hash.Get(), HP_HASHVAL, digest.data(), &length, 0)) return {};
    digest.resize(length);
    return digest;
}
