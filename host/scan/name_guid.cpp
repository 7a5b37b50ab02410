#include "scan/name_guid.h"

#include <cwctype>
#include <vector>

namespace {

uint32_t RotateLeft(uint32_t value, int bits) {
    return (value << bits) | (value >> (32 - bits));
}

void Sha1Block(const uint8_t* block, std::array<uint32_t, 5>& state) {
    uint32_t words[80];
    for (int i = 0; i < 16; ++i) {
        words[i] = static_cast<uint32_t>(block[4 * i]) << 24 | static_cast<uint32_t>(block[4 * i + 1]) << 16 |
                   static_cast<uint32_t>(block[4 * i + 2]) << 8 | block[4 * i + 3];
    }
    for (int i = 16; i < 80; ++i) words[i] = RotateLeft(words[i - 3] ^ words[i - 8] ^ words[i - 14] ^ words[i - 16], 1);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
    for (int i = 0; i < 80; ++i) {
        uint32_t f = 0, k = 0;
        if (i < 20) {
            f = (b & c) | (~b & d), k = 0x5A827999;
        } else if (i < 40) {
            f = b ^ c ^ d, k = 0x6ED9EBA1;
        } else if (i < 60) {
            f = (b & c) | (b & d) | (c & d), k = 0x8F1BBCDC;
        } else {
            f = b ^ c ^ d, k = 0xCA62C1D6;
        }
        const uint32_t next = RotateLeft(a, 5) + f + e + k + words[i];
        e = d, d = c, c = RotateLeft(b, 30), b = a, a = next;
    }
    state[0] += a, state[1] += b, state[2] += c, state[3] += d, state[4] += e;
}

}  // namespace

std::array<uint8_t, 20> Sha1(const std::string& bytes) {
    std::vector<uint8_t> message(bytes.begin(), bytes.end());
    const uint64_t bitLength = static_cast<uint64_t>(bytes.size()) * 8;
    message.push_back(0x80);
    while (message.size() % 64 != 56) message.push_back(0);
    for (int shift = 56; shift >= 0; shift -= 8) message.push_back(static_cast<uint8_t>(bitLength >> shift));
    std::array<uint32_t, 5> state = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    for (size_t offset = 0; offset < message.size(); offset += 64) Sha1Block(&message[offset], state);
    std::array<uint8_t, 20> digest;
    for (size_t i = 0; i < digest.size(); ++i) digest[i] = static_cast<uint8_t>(state[i / 4] >> (24 - 8 * (i % 4)));
    return digest;
}

std::wstring NameBasedGuid(const GuidBytes& nameSpace, const std::string& name) {
    const std::array<uint8_t, 20> digest = Sha1(std::string(nameSpace.begin(), nameSpace.end()) + name);
    GuidBytes guid;
    for (size_t i = 0; i < guid.size(); ++i) guid[i] = digest[i];
    guid[6] = static_cast<uint8_t>((guid[6] & 0x0F) | 0x50);  // version 5
    guid[8] = static_cast<uint8_t>((guid[8] & 0x3F) | 0x80);  // the RFC 4122 variant
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring text = L"{";
    for (size_t i = 0; i < guid.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) text += L'-';
        text += kHex[guid[i] >> 4];
        text += kHex[guid[i] & 0x0F];
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
