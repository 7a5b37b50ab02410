#include "scan/installed_programs.h"

#include "scan/registry_values.h"

const wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

std::vector<UninstallSource> UninstallSources(bool wow64) {
    const UninstallSource user = {HKEY_CURRENT_USER, L"80000001", 0, L"0", L"HKCU"};
    if (!wow64) return {{HKEY_LOCAL_MACHINE, L"80000002", 0, L"0", L"HKLM"}, user};
    return {{HKEY_LOCAL_MACHINE, L"80000002", KEY_WOW64_32KEY, L"0", L"HKLM 32-bit view"},
            {HKEY_LOCAL_MACHINE, L"80000002", KEY_WOW64_64KEY, L"1", L"HKLM 64-bit view"},
            user};
}

namespace {

// False for entries the draft ignores: no name to show, a part of the
// system, or an update of another entry.
bool IsListedProgram(HKEY entry) {
    return !StringValue(entry, L"DisplayName").empty() && DwordValue(entry, L"SystemComponent", 0) != 1 &&
           !HasValue(entry, L"ParentKeyName");
}

}  // namespace

bool ReadInstalledPrograms(const UninstallSource& source, std::vector<InstalledProgram>& programs) {
    const UniqueRegKey list = OpenForReading(source.root, kUninstallKey, source.viewFlag);
    if (!list) return false;
    for (const std::wstring& name : SubKeyNames(list.Get())) {
        const UniqueRegKey entry = OpenForReading(list.Get(), name, source.viewFlag);
        if (!entry || !IsListedProgram(entry.Get())) continue;
        programs.push_back({source, name, StringValue(entry.Get(), L"DisplayName"),
                            StringValue(entry.Get(), L"DisplayVersion"),
                            PathValue(entry.Get(), L"InstallLocation", source.WrittenBy64Bit()),
                            PathValue(entry.Get(), L"DisplayIcon", source.WrittenBy64Bit())});
    }
    return true;
}
