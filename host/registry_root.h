#pragma once
// The predefined registry roots by number, and the catalogue's "rootKey":
// one of them written in hexadecimal, which the module reads with wcstoul
// base 16.
#include <cstdint>
#include <string>

// True when text is wholly hexadecimal (an optional 0x first) and names one
// of the roots a catalogue may use.
bool IsRegistryRootText(const std::wstring& text);
// The number the module makes of text, whatever follows the digits.
uint32_t RegistryRootAsRead(const std::wstring& text);
// "HKLM" and the like for any predefined root; null for any other number.
const wchar_t* RegistryRootShortName(uint32_t root);
// "80000002 (HKLM)" for a root a catalogue may use; empty for any other number.
std::wstring RegistryRootName(uint32_t root);
// Every such root, for messages: "80000000 HKCR, 80000001 HKCU, ...".
std::wstring RegistryRootList();
