#include "text/hex_text.h"

std::wstring HexNumber(uint32_t value) {
    const uint8_t bytes[] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                             static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    return HexBytes(bytes, sizeof bytes, HexCase::kUpper);
}

std::wstring HexBytes(const uint8_t* bytes, size_t count, HexCase letters) {
    const wchar_t* digits = letters == HexCase::kUpper ? L"0123456789ABCDEF" : L"0123456789abcdef";
    std::wstring text;
    text.reserve(count * 2);
    for (size_t i = 0; i < count; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    return text;
}
