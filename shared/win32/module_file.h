#pragma once
#include <windows.h>

#include <string>

// The full path of a loaded module's file (null: the process's executable),
// however long; empty when the platform cannot say.
std::wstring ModuleFileName(HMODULE module);
