#include "detection/value_expansion.h"

#include <windows.h>

#include <cwchar>
#include <string>
#include <string_view>

#include "detection/probes.h"

namespace {

// The variables a 64-bit program sees with other values than this 32-bit
// process, and where the system keeps the 64-bit values: the 64-bit registry
// view, from which it sets them at logon. That source holds on every 64-bit
// Windows (the environment's ProgramW6432 and CommonProgramW6432 exist only
// from Windows 7 on) and whatever environment block the host was started with.
struct NativeFolder {
    const wchar_t* variable;
    const wchar_t* registryValue;
};
constexpr NativeFolder kNativeFolders[] = {{L"ProgramFiles", L"ProgramFilesDir"},
                                           {L"CommonProgramFiles", L"CommonFilesDir"}};
const wchar_t kFoldersKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

bool EnvironmentValue(const std::wstring& name, std::wstring& value) {
    const DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    if (size == 0) return false;
    value.assign(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(name.c_str(), &value[0], size);
    if (length == 0 || length >= size) return false;  // gone or grown meanwhile
    value.resize(length);
    return true;
}

// A variable's value as a 64-bit program has it.
bool NativeValue(std::wstring_view name, std::wstring& value) {
    for (const NativeFolder& folder : kNativeFolders) {
        if (name.size() != wcslen(folder.variable) || _wcsnicmp(name.data(), folder.variable, name.size()) != 0) {
            continue;
        }
        wchar_t text[MAX_PATH] = {};
        if (!ReadRegistryString(HKEY_LOCAL_MACHINE, kFoldersKey, folder.registryValue, text, 1)) return false;
        value = text;
        return true;
    }
    return EnvironmentValue(std::wstring(name), value);
}

// Expands text as ExpandEnvironmentStringsW does, with the variables' values
// from lookup(name, value), which is false for an undefined name: "%name%"
// gives the variable's value, or stays as it is when it is undefined; a "%"
// without a closing one stays too.
template <typename Lookup>
std::wstring ExpandReferences(std::wstring_view text, Lookup lookup) {
    std::wstring out;
    for (;;) {
        const size_t percent = text.find(L'%');
        out.append(text.substr(0, percent));
        if (percent == std::wstring_view::npos) return out;
        text.remove_prefix(percent);
        const size_t close = text.find(L'%', 1);
        if (close == std::wstring_view::npos) return out.append(text);
        std::wstring value;
        if (lookup(text.substr(1, close - 1), value)) {
            out += value;
        } else {
            out.append(text.substr(0, close + 1));
        }
        text.remove_prefix(close + 1);
    }
}

}  // namespace

bool ExpandValueText(const wchar_t* text, bool writtenBy64Bit, wchar_t* out) {
    out[0] = L'\0';
    if (!writtenBy64Bit) {
        const DWORD needed = ExpandEnvironmentStringsW(text, out, MAX_PATH);
        if (needed != 0 && needed <= MAX_PATH) return true;
        out[0] = L'\0';
        return false;
    }
    const std::wstring expanded = ExpandReferences(text, NativeValue);
    if (expanded.size() >= MAX_PATH) return false;
    wmemcpy(out, expanded.c_str(), expanded.size() + 1);
    return true;
}
