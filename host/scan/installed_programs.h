#pragma once
// The installed-programs lists (the "Uninstall" keys) and the entries worth a
// draft product.
#include <windows.h>

#include <string>
#include <vector>

extern const wchar_t kUninstallKey[];

// One installed-programs list: a root key in one registry view, with the
// catalogue's texts that read the same view back.
struct UninstallSource {
    HKEY root;
    const wchar_t* rootText;     // catalogue rootKey: "80000002" HKLM, "80000001" HKCU
    REGSAM viewFlag;             // 0 (this process's view), KEY_WOW64_32KEY or KEY_WOW64_64KEY
    const wchar_t* environment;  // catalogue binaryEvironment: "1" reads the 64-bit view
    const wchar_t* label;        // where, in words, for the draft's comments

    // Its values were written by 64-bit programs and name paths as they see them.
    bool WrittenBy64Bit() const { return viewFlag == KEY_WOW64_64KEY; }
};

// HKLM in both views under WOW64 (on 32-bit Windows there is only one), then
// HKCU, whose software key both views share.
std::vector<UninstallSource> UninstallSources(bool wow64);

struct InstalledProgram {
    UninstallSource source;
    std::wstring keyName;  // the entry's key below kUninstallKey
    std::wstring displayName;
    std::wstring displayVersion;
    std::wstring installLocation;  // expanded when a REG_EXPAND_SZ, as the probe reads it
    std::wstring displayIcon;      // the same
};

// Appends the source's programs, leaving out entries without a DisplayName,
// system components and updates (a ParentKeyName); false when the list
// cannot be opened.
bool ReadInstalledPrograms(const UninstallSource& source, std::vector<InstalledProgram>& programs);
