#include "signature/catalogue_signature.h"

#include <windows.h>
#include <wincrypt.h>

#include <cstring>
#include <optional>

#include "signature/pem_public_key.h"
#include "win32/crypt_owners.h"
#include "win32/file_bytes.h"
#include "xml/document_setup.h"

namespace {

constexpr DWORD kMinimumKeyBits = 2048;
constexpr DWORD kMaximumKeyBits = 4096;
// Far above any key or signature file: a larger one is not one.
constexpr size_t kSmallFileLimit = 64u << 10;

// An imported key and the provider it lives in; the key goes first.
struct ImportedKey {
    UniqueCryptProvider provider;
    UniqueCryptKey key;
    DWORD bits = 0;
};

bool ImportRsaPublicKey(const std::string& der, const Crypt32Functions& crypt32, ImportedKey& imported) {
    UniqueLocalMemory decoded;
    DWORD size = 0;
    if (!crypt32.decodeObject(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, reinterpret_cast<const BYTE*>(der.data()),
                              static_cast<DWORD>(der.size()), CRYPT_DECODE_ALLOC_FLAG, nullptr, decoded.Receive(),
                              &size)) {
        return false;
    }
    auto* info = static_cast<CERT_PUBLIC_KEY_INFO*>(decoded.Get());
    if (!info->Algorithm.pszObjId || std::strcmp(info->Algorithm.pszObjId, szOID_RSA_RSA) != 0) return false;
    // The provider type that has SHA-256 (every Windows since XP SP3).
    if (!CryptAcquireContextW(imported.provider.Receive(), nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) ||
        !crypt32.importPublicKeyInfo(imported.provider.Get(), X509_ASN_ENCODING, info, imported.key.Receive())) {
        return false;
    }
    DWORD length = sizeof imported.bits;
    return CryptGetKeyParam(imported.key.Get(), KP_KEYLEN, reinterpret_cast<BYTE*>(&imported.bits), &length, 0) !=
           FALSE;
}

}  // namespace

const wchar_t* SignatureVerdictText(SignatureVerdict verdict) {
    switch (verdict) {
        case SignatureVerdict::kValid: return L"the signature is valid";
        case SignatureVerdict::kKeyUnreadable: return L"the key file cannot be read";
        case SignatureVerdict::kKeyUnusable:
            return L"the key file holds no RSA public key of 2,048 to 4,096 bits in PEM \"PUBLIC KEY\" form";
        case SignatureVerdict::kSignatureMissing: return L"there is no signature";
        case SignatureVerdict::kSignatureUnreadable: return L"the signature file cannot be read";
        case SignatureVerdict::kSignatureMalformed: return L"the signature is not as long as the key";
        case SignatureVerdict::kMismatch: return L"the signature does not match the file under this key";
        case SignatureVerdict::kFileUnreadable: return L"the signed file cannot be read";
        case SignatureVerdict::kUnverifiable: return L"the platform cannot check the signature";
    }
    return L"unknown";
}

SignatureVerdict VerifySignature(const std::string& keyPem, const std::string& bytes, const std::string& signature) {
    Crypt32Functions crypt32;
    if (!crypt32.Bind()) return SignatureVerdict::kUnverifiable;
    const std::optional<std::string> der = PublicKeyDer(keyPem, crypt32);
    ImportedKey imported;
    if (!der || !ImportRsaPublicKey(*der, crypt32, imported) || imported.bits < kMinimumKeyBits ||
        imported.bits > kMaximumKeyBits) {
        return SignatureVerdict::kKeyUnusable;
    }
    if (signature.size() != (imported.bits + 7) / 8) return SignatureVerdict::kSignatureMalformed;
    UniqueCryptHash hash;
    if (!CryptCreateHash(imported.provider.Get(), CALG_SHA_256, 0, 0, hash.Receive()) ||
        !CryptHashData(hash.Get(), reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), 0)) {
        return SignatureVerdict::kUnverifiable;
    }
    // CryptoAPI reads a signature as a little-endian number; openssl writes it
    // big-endian.
    const std::string reversed(signature.rbegin(), signature.rend());
    if (!CryptVerifySignatureW(hash.Get(), reinterpret_cast<const BYTE*>(reversed.data()),
                               static_cast<DWORD>(reversed.size()), imported.key.Get(), nullptr, 0)) {
        return SignatureVerdict::kMismatch;
    }
    return SignatureVerdict::kValid;
}

SignatureVerdict VerifySignatureOfBytes(const std::wstring& keyPath, const std::optional<std::string>& bytes,
                                        const std::wstring& signaturePath) {
    const std::optional<std::string> key = ReadFileBytes(keyPath, kSmallFileLimit);
    if (!key) return SignatureVerdict::kKeyUnreadable;
    const std::optional<std::string> signature = ReadFileBytes(signaturePath, kSmallFileLimit);
    if (!signature) {
        return FileIsMissing(signaturePath) ? SignatureVerdict::kSignatureMissing
                                            : SignatureVerdict::kSignatureUnreadable;
    }
    if (!bytes) return SignatureVerdict::kFileUnreadable;
    return VerifySignature(*key, *bytes, *signature);
}

SignatureVerdict VerifyFileSignature(const std::wstring& keyPath, const std::wstring& filePath,
                                     const std::wstring& signaturePath) {
    return VerifySignatureOfBytes(keyPath, ReadFileBytes(filePath, kXmlFileLimit), signaturePath);
}
