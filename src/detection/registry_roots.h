#pragma once
// The predefined registry roots by number. A catalogue's "rootKey" names one
// in hexadecimal, as the value of its key handle; the module opens only the
// roots that hold keys programs install. Any other number would be some
// handle of the host's own process, or HKEY_PERFORMANCE_DATA, whose queries
// load performance-counter libraries into the host.
#include <windows.h>

#include <cstdint>
#include <string>

struct PredefinedRoot {
    uint32_t value;
    const wchar_t* name;   // "HKLM" and the like
    bool catalogueMayUse;  // false for HKEY_PERFORMANCE_DATA: counters, not keys programs install
};

// Every root the tools name; the module and --check agree through this one list.
inline constexpr PredefinedRoot kPredefinedRoots[] = {{0x80000000, L"HKCR", true},  {0x80000001, L"HKCU", true},
                                                      {0x80000002, L"HKLM", true},  {0x80000003, L"HKU", true},
                                                      {0x80000004, L"HKPD", false}, {0x80000005, L"HKCC", true}};

// The number the module makes of a rootKey text: wcstoul base 16, so leading
// blanks and a "0x" are skipped and whatever follows the digits is ignored.
uint32_t RegistryRootAsRead(const std::wstring& text);

// The key handle of a rootKey number (as RegistryRootAsRead makes it) when a
// catalogue may use that root; null for any other number.
HKEY CatalogueRootKey(uint32_t value);
