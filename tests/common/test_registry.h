#pragma once
// Real registry values for tests, in a chosen view, removed at scope end.
#include <windows.h>

#include <string>

enum class RegistryView { Own, Bits32, Bits64 };

// A test key below root (e.g. HKEY_LOCAL_MACHINE, L"SOFTWARE\\WareseekTests\\x")
// in one registry view; the key is deleted with its values when the owner dies.
class TestRegistryKey {
public:
    TestRegistryKey(HKEY root, std::wstring subKey, RegistryView view = RegistryView::Own);
    ~TestRegistryKey();
    TestRegistryKey(const TestRegistryKey&) = delete;
    TestRegistryKey& operator=(const TestRegistryKey&) = delete;

    void SetString(const wchar_t* name, const std::wstring& value, DWORD type = REG_SZ) const;
    void SetBytes(const wchar_t* name, DWORD type, const void* data, DWORD size) const;
    const std::wstring& SubKey() const { return m_subKey; }

private:
    HKEY m_root;
    std::wstring m_subKey;
    REGSAM m_viewFlag;
};

// The key every test key lies below, in each root and view: what a run left
// there is the tests', and the next run removes it.
#define WARESEEK_TEST_KEYS L"SOFTWARE\\WareseekTests"

// A unique key path below SOFTWARE\WareseekTests for one test.
std::wstring UniqueTestKeyPath(const wchar_t* purpose);
bool RunningUnderWow64();
// True when an open key holds no subkey and no value.
bool RegistryKeyIsEmpty(HKEY key);
