#include "explain/explanation_words.h"

#include <cwchar>

std::wstring RootName(HKEY root) {
    struct NamedRoot {
        HKEY root;
        const wchar_t* name;
    };
    static const NamedRoot kRoots[] = {{HKEY_CLASSES_ROOT, L"HKCR"}, {HKEY_CURRENT_USER, L"HKCU"},
                                       {HKEY_LOCAL_MACHINE, L"HKLM"}, {HKEY_USERS, L"HKU"},
                                       {HKEY_CURRENT_CONFIG, L"HKCC"}, {HKEY_PERFORMANCE_DATA, L"HKPD"}};
    for (const NamedRoot& named : kRoots) {
        if (named.root == root) return named.name;
    }
    wchar_t text[32];
    swprintf(text, 32, L"root %08lX", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(root)));
    return text;
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
