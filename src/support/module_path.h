#pragma once
// Paths beside the module's own file. The "module" is the binary that holds
// this code (wareseek.dll in production, the test program in unit tests), not
// the host executable.
#include <windows.h>

#include <string>

// The module's own handle, given by DllMain. Programs that link this code
// without a DllMain (the unit tests) never call it: the module holding this
// code is then found by address.
void RememberModule(HMODULE module);

// Folder of the module's own file, without a trailing separator; empty when
// the platform cannot say.
std::wstring ModuleFolder();

// Joins parts with the platform's rules (PathAppendW: one backslash between
// parts) inside the 260-unit path limit; false when the result would not fit
// or path is empty (a module whose folder is unknown must not fall back to
// paths relative to wherever the host happens to run).
bool JoinPath(std::wstring& path, const wchar_t* part);
