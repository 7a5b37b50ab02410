#pragma once
#include <windows.h>

#include <string>

// The system's text for a Win32 error code, on one line, with the number.
std::wstring ErrorText(DWORD code);
