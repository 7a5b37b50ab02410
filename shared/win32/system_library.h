#pragma once
// Loads a library of the operating system from the system folder only. A bare
// name given to LoadLibraryW is looked for in the program's own folder first,
// so a file of that name put beside the program would be loaded instead.
#include "win32/win_owners.h"

// fileName is a bare file name such as L"xmllite.dll". Empty when the system
// folder has no such library or it does not load.
UniqueModule LoadSystemLibrary(const wchar_t* fileName);
