#pragma once
// Which Windows this is, as the first lines of the output say it.
#include <string>

// "Windows 10 (10.0, build 19045.3803, 22H2)", with the service pack on
// Windows 7 and the update revision and release name where Windows keeps them.
std::wstring WindowsVersionLine();

// "64-bit Windows (x64), this runner a 32-bit process under WOW64" or
// "32-bit Windows".
std::wstring BitnessLine();
