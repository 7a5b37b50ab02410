#pragma once
// Path texts as installed-programs entries write them.
#include <string>

// The file a DisplayIcon text names: surrounding quotes removed and an icon
// index (",0", ", -101") cut off.
std::wstring IconFilePath(const std::wstring& icon);

// A folder text without surrounding quotes, spaces or trailing separators.
std::wstring CleanFolder(const std::wstring& folder);

// Whether name ends with extension (".exe"), in any letter case.
bool HasExtension(const std::wstring& name, const wchar_t* extension);

// Whether path lies inside folder (a cleaned folder), in any letter case.
bool LiesIn(const std::wstring& path, const std::wstring& folder);

// The binary a method names for file path beside folder: the path relative
// to folder when it lies inside, else its file name.
std::wstring BinaryWithin(const std::wstring& folder, const std::wstring& path);
