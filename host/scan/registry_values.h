#pragma once
// Reading registry keys of any length for the scanner, in one registry view.
#include <windows.h>

#include <string>
#include <vector>

#include "win32/win_owners.h"

// Opens root\subKey for reading in the view that viewFlag names (0,
// KEY_WOW64_32KEY or KEY_WOW64_64KEY); an invalid owner when it cannot.
UniqueRegKey OpenForReading(HKEY root, const std::wstring& subKey, REGSAM viewFlag);

// The names of the key's direct subkeys, in the registry's order.
std::vector<std::wstring> SubKeyNames(HKEY key);

// A REG_SZ or REG_EXPAND_SZ value as stored (not expanded), without its
// terminator; empty when missing or of another type. type, when given, gets
// the value's type.
std::wstring StringValue(HKEY key, const wchar_t* name, DWORD* type = nullptr);

// A value naming a path, as the module's registry/file probe takes it: a
// REG_EXPAND_SZ text expanded as its writer reads it (writtenBy64Bit: a value
// of the 64-bit view under WOW64), any other as stored; empty when the
// expansion does not fit a path.
std::wstring PathValue(HKEY key, const wchar_t* name, bool writtenBy64Bit);

// True when the value exists, whatever its type and data.
bool HasValue(HKEY key, const wchar_t* name);

// A REG_DWORD value, or fallback when missing or of another type.
DWORD DwordValue(HKEY key, const wchar_t* name, DWORD fallback);
