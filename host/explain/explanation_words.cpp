#include "explain/explanation_words.h"

#include <cwchar>

#include "registry_root.h"
#include "text/hex_text.h"

std::wstring RootName(HKEY root) {
    const auto value = static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(root));
    if (const wchar_t* name = RegistryRootShortName(value)) return name;
    return L"root " + HexNumber(value);
}

std::wstring ViewName(const MethodExplanation& method, bool wow64) {
    return method.view64 && wow64 ? L"64-bit" : L"32-bit";
}

std::wstring OutcomeName(const MethodExplanation& method) {
    switch (method.outcome) {
        case RegistryReadOutcome::kRead: return L"read";
        case RegistryReadOutcome::kKeyNotOpened: return L"key not opened";
        case RegistryReadOutcome::kValueNotRead:
            return method.status == ERROR_MORE_DATA ? L"value too long" : L"value not read";
        case RegistryReadOutcome::kNoTerminator: return L"value too long";
        case RegistryReadOutcome::kRootRefused: return L"root not opened";
        case RegistryReadOutcome::kExpansionTooLong: return L"expansion too long";
    }
    return L"";
}

std::wstring MethodKindName(const DetectMethod& method) {
    switch (method.methodType) {
        case kMethodRegistryFile: return L"registry";
        case kMethodProcess: return L"process";
        default: return L"unknown kind";
    }
}
