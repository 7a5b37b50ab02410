#include "signature/pem_public_key.h"

std::optional<std::string> PublicKeyDer(const std::string& pem, const Crypt32Functions& crypt32) {
    const std::string begin = "-----BEGIN PUBLIC KEY-----";
    const std::string end = "-----END PUBLIC KEY-----";
    const size_t start = pem.find(begin);
    if (start == std::string::npos) return std::nullopt;
    const size_t bodyStart = start + begin.size();
    const size_t stop = pem.find(end, bodyStart);
    if (stop == std::string::npos) return std::nullopt;
    const std::string body = pem.substr(bodyStart, stop - bodyStart);
    const auto bodyLength = static_cast<DWORD>(body.size());
    DWORD size = 0;
    if (!crypt32.stringToBinary(body.data(), bodyLength, CRYPT_STRING_BASE64, nullptr, &size, nullptr, nullptr) ||
        size == 0) {
        return std::nullopt;
    }
    std::string der(size, '\0');
    if (!crypt32.stringToBinary(body.data(), bodyLength, CRYPT_STRING_BASE64, reinterpret_cast<BYTE*>(&der[0]), &size,
                                nullptr, nullptr)) {
        return std::nullopt;
    }
    der.resize(size);
    return der;
}
