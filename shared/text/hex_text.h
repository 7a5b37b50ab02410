#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

enum class HexCase { kUpper, kLower };

// value as eight upper-case hexadecimal digits ("0000002A").
std::wstring HexNumber(uint32_t value);

// Two hexadecimal digits per byte, in order.
std::wstring HexBytes(const uint8_t* bytes, size_t count, HexCase letters);
