#pragma once
// Under WOW64 the file system shows this 32-bit process SysWOW64 where a
// 64-bit program sees System32.

// Whether path lies in the system folder (GetSystemDirectoryW, System32) or
// is that folder, in any letter case and with either separator.
bool LiesInSystemFolder(const wchar_t* path);
