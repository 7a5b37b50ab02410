#pragma once
// Names and texts for the predefined registry roots of the module's list
// (src/detection/registry_roots.h), for the catalogue tools' messages.
#include <cstdint>
#include <string>

#include "detection/registry_roots.h"

// True when text is wholly hexadecimal (an optional 0x first) and names one
// of the roots a catalogue may use.
bool IsRegistryRootText(const std::wstring& text);
// "HKLM" and the like for any predefined root; null for any other number.
const wchar_t* RegistryRootShortName(uint32_t root);
// "80000002 (HKLM)" for a root a catalogue may use; empty for any other number.
std::wstring RegistryRootName(uint32_t root);
// Every such root, for messages: "80000000 HKCR, 80000001 HKCU, ...".
std::wstring RegistryRootList();
