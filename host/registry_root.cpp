#include "registry_root.h"

#include <cwchar>

namespace {

struct Root {
    uint32_t value;
    const wchar_t* name;
    bool holdsInstalledKeys;  // false for HKEY_PERFORMANCE_DATA: counters, not keys programs install
};

const Root kRoots[] = {{0x80000000, L"HKCR", true}, {0x80000001, L"HKCU", true}, {0x80000002, L"HKLM", true},
                       {0x80000003, L"HKU", true},  {0x80000004, L"HKPD", false}, {0x80000005, L"HKCC", true}};

bool IsHexDigit(wchar_t c) {
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
}

std::wstring Hex(uint32_t value) {
    wchar_t text[9] = {};
    swprintf(text, 9, L"%08X", value);
    return text;
}

}  // namespace

bool IsRegistryRootText(const std::wstring& text) {
    size_t at = text.size() >= 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X') ? 2 : 0;
    if (at == text.size()) return false;
    for (; at < text.size(); ++at) {
        if (!IsHexDigit(text[at])) return false;
    }
    return !RegistryRootName(RegistryRootAsRead(text)).empty();
}

uint32_t RegistryRootAsRead(const std::wstring& text) {
    return static_cast<uint32_t>(wcstoul(text.c_str(), nullptr, 16));
}

const wchar_t* RegistryRootShortName(uint32_t root) {
    for (const Root& known : kRoots) {
        if (known.value == root) return known.name;
    }
    return nullptr;
}

std::wstring RegistryRootName(uint32_t root) {
    for (const Root& known : kRoots) {
        if (known.value == root && known.holdsInstalledKeys) return Hex(root) + L" (" + known.name + L")";
    }
    return std::wstring();
}

std::wstring RegistryRootList() {
    std::wstring list;
    for (const Root& known : kRoots) {
        if (known.holdsInstalledKeys) list += (list.empty() ? L"" : L", ") + Hex(known.value) + L" " + known.name;
    }
    return list;
}
