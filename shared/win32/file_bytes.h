#pragma once
// Whole-file reads and all-or-nothing writes, shared by the module, the host
// and the download module: readers of a file written here see either the old
// contents or the new, never a half-written file.
#include <cstddef>
#include <optional>
#include <string>

// The file's bytes, or nothing when it can't be opened or read, or holds more
// than maxBytes.
std::optional<std::string> ReadFileBytes(const std::wstring& path, std::size_t maxBytes);

// True only when nothing of that name exists (the file or a folder on its way
// is not found); false when it exists or the platform cannot say.
bool FileIsMissing(const std::wstring& path);

// Writes bytes to a temporary file beside target, then moves it over target.
// On failure target is untouched, the temporary file is gone and the thread's
// last-error code says why.
bool ReplaceFileAtomically(const std::wstring& target, const std::string& bytes);

// The same, but only when target does not exist yet: the file appears with its
// whole contents or not at all.
bool CreateFileAtomically(const std::wstring& target, const std::string& bytes);
