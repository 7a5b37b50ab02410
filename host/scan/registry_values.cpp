#include "scan/registry_values.h"

#include "detection/value_expansion.h"

UniqueRegKey OpenForReading(HKEY root, const std::wstring& subKey, REGSAM viewFlag) {
    UniqueRegKey key;
    if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ | viewFlag, key.Receive()) != ERROR_SUCCESS) key.Reset();
    return key;
}

std::vector<std::wstring> SubKeyNames(HKEY key) {
    std::vector<std::wstring> names;
    wchar_t name[256];  // a key name has at most 255 characters
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(sizeof name / sizeof name[0]);
        const LONG status = RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_SUCCESS) {
            names.emplace_back(name, length);
        } else if (status != ERROR_MORE_DATA) {
            break;  // no more entries, or the key went away
        }
    }
    return names;
}

std::wstring StringValue(HKEY key, const wchar_t* name, DWORD* valueType) {
    DWORD ignored = 0;
    DWORD& type = valueType ? *valueType : ignored;
    type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::wstring();
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::wstring();
    // The value may grow between the two calls: ask again until it fits.
    std::wstring text;
    for (int attempt = 0; attempt < 4; ++attempt) {
        text.assign(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        const LONG status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&text[0]), &got);
        if (status == ERROR_MORE_DATA) {
            size = got;
            continue;
        }
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::wstring();
        text.resize(got / sizeof(wchar_t));
        const size_t end = text.find(L'\0');  // stored data may or may not hold a terminator
        if (end != std::wstring::npos) text.resize(end);
        return text;
    }
    return std::wstring();
}

std::wstring PathValue(HKEY key, const wchar_t* name, bool writtenBy64Bit) {
    DWORD type = REG_NONE;
    const std::wstring text = StringValue(key, name, &type);
    if (type != REG_EXPAND_SZ) return text;
    wchar_t expanded[MAX_PATH];
    return ExpandValueText(text.c_str(), writtenBy64Bit, expanded) ? expanded : std::wstring();
}

bool HasValue(HKEY key, const wchar_t* name) {
    return RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

DWORD DwordValue(HKEY key, const wchar_t* name, DWORD fallback) {
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD) {
        return fallback;
    }
    return value;
}
