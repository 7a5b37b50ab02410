#include "text/decimal_text.h"

std::optional<uint64_t> DecimalNumber(std::wstring_view text) {
    if (text.empty() || text.find_first_not_of(L"0123456789") != std::wstring_view::npos) return std::nullopt;
    uint64_t value = 0;
    for (const wchar_t digit : text) {
        const uint64_t next = static_cast<uint64_t>(digit - L'0');
        if (value > (UINT64_MAX - next) / 10) return std::nullopt;
        value = value * 10 + next;
    }
    return value;
}

std::wstring GroupedNumber(uint64_t value) {
    std::wstring text = std::to_wstring(value);
    for (size_t at = text.size(); at > 3; at -= 3) text.insert(at - 3, L",");
    return text;
}
