// A library that ends its process with exit code 86 the moment it is loaded.
// Put beside a program under the name of a system library, it shows whether
// the program takes that library from its own folder.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) TerminateProcess(GetCurrentProcess(), 86);
    return TRUE;
}
