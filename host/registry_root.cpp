#include "registry_root.h"

#include <cwchar>

#include "text/hex_text.h"

namespace {

bool IsHexDigit(wchar_t c) {
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
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

const wchar_t* RegistryRootShortName(uint32_t root) {
    for (const PredefinedRoot& known : kPredefinedRoots) {
        if (known.value == root) return known.name;
    }
    return nullptr;
}

std::wstring RegistryRootName(uint32_t root) {
    for (const PredefinedRoot& known : kPredefinedRoots) {
        if (known.value == root && known.catalogueMayUse) return HexNumber(root) + L" (" + known.name + L")";
    }
    return std::wstring();
}

std::wstring RegistryRootList() {
    std::wstring list;
    for (const PredefinedRoot& known : kPredefinedRoots) {
        if (known.catalogueMayUse) list += (list.empty() ? L"" : L", ") + HexNumber(known.value) + L" " + known.name;
    }
    return list;
}
