#pragma once
// An exported function of a loaded library, typed: GetProcAddress gives a
// FARPROC, and going through void* is the usual route to any other function
// pointer type.
#include <windows.h>

// Null when module is null or does not export name.
template <typename Function>
Function LibraryFunction(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}
