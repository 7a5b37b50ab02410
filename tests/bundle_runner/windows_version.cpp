#include "windows_version.h"

#include <windows.h>

#include "win32/library_function.h"
#include "win32/win_owners.h"

namespace {

using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOEXW*);

// What the kernel says; GetVersionEx answers as the program's manifest
// allows, RtlGetVersion does not.
OSVERSIONINFOEXW KernelVersion() {
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    const auto rtlGetVersion = LibraryFunction<RtlGetVersionFunction>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
    if (!rtlGetVersion || rtlGetVersion(&version) != 0) version = {};
    return version;
}

bool UnderWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion in the system's own view.
UniqueRegKey CurrentVersionKey() {
    UniqueRegKey key;
    const REGSAM view = UnderWow64() ? KEY_WOW64_64KEY : 0;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0, KEY_QUERY_VALUE | view,
                  key.Receive());
    return key;
}

std::wstring TextValue(HKEY key, const wchar_t* name) {
    wchar_t text[128] = {};
    DWORD size = sizeof text;
    if (!key || RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) return L"";
    return text;
}

bool DwordValue(HKEY key, const wchar_t* name, DWORD& value) {
    DWORD size = sizeof value;
    return key && RegGetValueW(key, nullptr, name, RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS;
}

std::wstring ProductName(const OSVERSIONINFOEXW& version) {
    if (version.wProductType != VER_NT_WORKSTATION) return L"Windows Server";
    const DWORD number = version.dwMajorVersion * 100 + version.dwMinorVersion;
    switch (number) {
        case 601: return L"Windows 7";
        case 602: return L"Windows 8";
        case 603: return L"Windows 8.1";
        case 1000: return version.dwBuildNumber >= 22000 ? L"Windows 11" : L"Windows 10";
        default: return L"Windows";
    }
}

std::wstring ArchitectureName(WORD architecture) {
    switch (architecture) {
        case PROCESSOR_ARCHITECTURE_AMD64: return L" (x64)";
        case PROCESSOR_ARCHITECTURE_ARM64: return L" (ARM64)";
        case PROCESSOR_ARCHITECTURE_IA64: return L" (Itanium)";
        default: return L"";
    }
}

}  // namespace

std::wstring WindowsVersionLine() {
    const OSVERSIONINFOEXW version = KernelVersion();
    if (version.dwMajorVersion == 0) return L"Windows of unknown version (RtlGetVersion failed)";
    const UniqueRegKey key = CurrentVersionKey();
    std::wstring line = ProductName(version) + L" (" + std::to_wstring(version.dwMajorVersion) + L"." +
                        std::to_wstring(version.dwMinorVersion) + L", build " + std::to_wstring(version.dwBuildNumber);
    DWORD revision = 0;
    if (DwordValue(key.Get(), L"UBR", revision)) line += L"." + std::to_wstring(revision);
    if (version.szCSDVersion[0]) line += std::wstring(L", ") + version.szCSDVersion;
    // DisplayVersion ("22H2") since 20H2; ReleaseId ("1909") before.
    std::wstring release = TextValue(key.Get(), L"DisplayVersion");
    if (release.empty()) release = TextValue(key.Get(), L"ReleaseId");
    if (!release.empty()) line += L", " + release;
    return line + L")";
}

std::wstring BitnessLine() {
    if (!UnderWow64()) return L"32-bit Windows";
    SYSTEM_INFO system = {};
    GetNativeSystemInfo(&system);
    return L"64-bit Windows" + ArchitectureName(system.wProcessorArchitecture) +
           L", this runner a 32-bit process under WOW64";
}
