#include "test_registry.h"

#include <atomic>
#include <stdexcept>

#include "win32/win_owners.h"

namespace {

REGSAM ViewFlag(RegistryView view) {
    switch (view) {
        case RegistryView::Bits32: return KEY_WOW64_32KEY;
        case RegistryView::Bits64: return KEY_WOW64_64KEY;
        default: return 0;
    }
}

}  // namespace

TestRegistryKey::TestRegistryKey(HKEY root, std::wstring subKey, RegistryView view)
    : m_root(root), m_subKey(std::move(subKey)), m_viewFlag(ViewFlag(view)) {
    UniqueRegKey key;
    if (RegCreateKeyExW(m_root, m_subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | m_viewFlag, nullptr, key.Receive(),
                        nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot create test registry key");
    }
}

TestRegistryKey::~TestRegistryKey() {
    RegDeleteKeyExW(m_root, m_subKey.c_str(), m_viewFlag, 0);
}

void TestRegistryKey::SetString(const wchar_t* name, const std::wstring& value, DWORD type) const {
    SetBytes(name, type, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void TestRegistryKey::SetBytes(const wchar_t* name, DWORD type, const void* data, DWORD size) const {
    UniqueRegKey key;
    if (RegOpenKeyExW(m_root, m_subKey.c_str(), 0, KEY_SET_VALUE | m_viewFlag, key.Receive()) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot open test registry key");
    }
    RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size);
}

std::wstring UniqueTestKeyPath(const wchar_t* purpose) {
    static std::atomic<unsigned> counter{0};
    return std::wstring(WARESEEK_TEST_KEYS L"\\") + purpose + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
           std::to_wstring(counter++);
}

bool RunningUnderWow64() {
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    return wow64 != FALSE;
}

bool RegistryKeyIsEmpty(HKEY key) {
    DWORD subKeys = 1;
    DWORD values = 1;
    return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr,
                            nullptr, nullptr) == ERROR_SUCCESS &&
           subKeys == 0 && values == 0;
}
