#pragma once
// The parts of a file path, split at its last separator ('\' or '/').
#include <string>

// The folder part, keeping its separator ("C:\dir\"); empty when path has no
// separator.
std::wstring FolderOf(const std::wstring& path);

// The part after the last separator; the whole path when it has none.
std::wstring FileNameOf(const std::wstring& path);
