#pragma once
// Decimal numbers in the texts the binaries read and write.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The number text writes, when it is decimal digits only (no sign, blanks or
// other characters) and fits 64 bits; nothing otherwise.
std::optional<uint64_t> DecimalNumber(std::wstring_view text);

// value with its thousands grouped, as messages write numbers: "16,383".
std::wstring GroupedNumber(uint64_t value);
