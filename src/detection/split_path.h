#pragma once
#include <windows.h>

#include <cstdint>

// Cuts path at its last separator, backslash or forward slash, whichever comes
// later. folder gets everything up to and including that separator, file the
// rest (empty when the path ends with a separator); both buffers hold MAX_PATH
// units. 0 (buffers untouched) for a null or empty path, a path without a
// separator, or one too long for the buffers.
int32_t SplitPath(const wchar_t* path, wchar_t* folder, wchar_t* file);

// Binary type from a file name's extension (from its last "." on, exact case):
// ".exe" 0, ".dll" 1, anything else or no "." gives otherwise.
int32_t BinaryTypeFromFileName(const wchar_t* fileName, int32_t otherwise);
