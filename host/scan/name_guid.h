#pragma once
// Name-based GUIDs (version 5: SHA-1 of a namespace and a name), so the same
// name gives the same GUID on every run and every machine.
#include <array>
#include <cstdint>
#include <string>

using GuidBytes = std::array<uint8_t, 16>;  // in text order

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case.
std::wstring NameBasedGuid(const GuidBytes& nameSpace, const std::string& name);

// Whether text is a GUID in braces, in any letter case.
bool IsBracedGuid(const std::wstring& text);
