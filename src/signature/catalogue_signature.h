#pragma once
// Detached signatures of catalogue files: an RSA PKCS#1 v1.5 signature over
// SHA-256 of the file's exact bytes ("openssl dgst -sha256 -sign"), checked
// against a vendor's RSA public key of 2,048 to 4,096 bits in PEM form with
// the platform's CryptoAPI.
#include <optional>
#include <string>

enum class SignatureVerdict {
    kValid,
    kKeyUnreadable,        // the key file can't be read
    kKeyUnusable,          // it holds no RSA public key of 2,048 to 4,096 bits
    kSignatureMissing,     // there is no signature file
    kSignatureUnreadable,  // the signature file can't be read
    kSignatureMalformed,   // not a signature of this key's length
    kMismatch,             // not a signature of these bytes by this key
    kFileUnreadable,       // the signed file can't be read
    kUnverifiable,         // the platform could not compute or check it
};

// What the verdict means, for the debug log and the host.
const wchar_t* SignatureVerdictText(SignatureVerdict verdict);

// Checks signature over bytes against the public key in keyPem.
SignatureVerdict VerifySignature(const std::string& keyPem, const std::string& bytes, const std::string& signature);

// The same for bytes already read (nothing: they could not be read) against
// the key and signature files: the key first, so that an unreadable key is
// reported as such whatever else is wrong.
SignatureVerdict VerifySignatureOfBytes(const std::wstring& keyPath, const std::optional<std::string>& bytes,
                                        const std::wstring& signaturePath);

// The same for files: the key first, so that an unreadable key is reported
// as such whatever else is wrong.
SignatureVerdict VerifyFileSignature(const std::wstring& keyPath, const std::wstring& filePath,
                                     const std::wstring& signaturePath);
