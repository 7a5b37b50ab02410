#include "byte_forms.h"

#include <vector>

namespace {

void PutUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool IsHigh(wchar_t c) { return c >= 0xD800 && c < 0xDC00; }
bool IsLow(wchar_t c) { return c >= 0xDC00 && c < 0xE000; }

std::wstring Declaration(const wchar_t* encoding) {
    if (!encoding) return L"";
    return std::wstring(L"<?xml version=\"1.0\" encoding=\"") + encoding + L"\"?>\r\n";
}

}  // namespace

std::string LooseUtf8(const std::wstring& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsHigh(text[i]) && i + 1 < text.size() && IsLow(text[i + 1])) {
            PutUtf8(out, 0x10000 + ((text[i] - 0xD800u) << 10) + (text[i + 1] - 0xDC00u));
            ++i;
        } else {
            PutUtf8(out, text[i]);
        }
    }
    return out;
}

std::string Utf16Le(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

std::string Utf16Be(const std::wstring& text) {
    std::string out = Utf16Le(text);
    for (size_t i = 0; i + 1 < out.size(); i += 2) std::swap(out[i], out[i + 1]);
    return out;
}

// Mostly honest UTF-8; otherwise any pairing of bytes, mark and declaration.
std::string EncodeDocument(CaseRng& rng, const std::wstring& body, bool& honest) {
    static const std::vector<const wchar_t*> declared = {nullptr,   L"utf-8",      L"UTF-16",  L"utf-16le",
                                                         L"ISO-8859-1", L"windows-1252", L"bogus-x", L""};
    honest = rng.Percent(60);
    if (honest) return LooseUtf8(Declaration(L"utf-8") + body);
    const std::wstring text = Declaration(rng.Pick(declared)) + body;
    const bool mark = rng.Percent(50);
    switch (rng.Below(3)) {
        case 0: return (mark ? std::string("\xEF\xBB\xBF") : std::string()) + LooseUtf8(text);
        case 1: return (mark ? std::string("\xFF\xFE") : std::string()) + Utf16Le(text);
        default: return (mark ? std::string("\xFE\xFF") : std::string()) + Utf16Be(text);
    }
}

void DamageBytes(CaseRng& rng, std::string& bytes) {
    if (bytes.empty()) return;
    const uint32_t size = static_cast<uint32_t>(bytes.size());
    switch (rng.Below(4)) {
        case 0: bytes.resize(rng.Below(size)); break;
        case 1:
            for (uint32_t flips = 1 + rng.Below(16); flips > 0; --flips)
                bytes[rng.Below(size)] ^= static_cast<char>(1u << rng.Below(8));
            break;
        case 2:
            for (uint32_t count = 1 + rng.Below(8); count > 0; --count)
                bytes.insert(bytes.begin() + rng.Below(static_cast<uint32_t>(bytes.size())), static_cast<char>(rng.Below(256)));
            break;
        default: {
            const uint32_t from = rng.Below(size);
            bytes.insert(rng.Below(size), bytes.substr(from, 1 + rng.Below(200)));
        }
    }
}
