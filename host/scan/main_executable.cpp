#include "scan/main_executable.h"

#include <windows.h>

#include "scan/path_text.h"
#include "text/path_parts.h"
#include "win32/win_owners.h"

namespace {

// The one .exe file directly in folder; empty when there is none or several.
std::wstring SingleExecutableIn(const std::wstring& folder) {
    const std::wstring prefix = folder.back() == L'\\' ? folder : folder + L"\\";
    WIN32_FIND_DATAW entry;
    UniqueFind find(FindFirstFileW((prefix + L"*.exe").c_str(), &entry));
    if (!find) return std::wstring();
    std::wstring found;
    do {
        // The pattern also matches short names: check the long one.
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !HasExtension(entry.cFileName, L".exe")) continue;
        if (!found.empty()) return std::wstring();
        found = prefix + entry.cFileName;
    } while (FindNextFileW(find.Get(), &entry));
    return found;
}

}  // namespace

std::wstring MainExecutable(const InstalledProgram& program, AppPathsIndex& appPaths) {
    const std::wstring icon = IconFilePath(program.displayIcon);
    if (HasExtension(FileNameOf(icon), L".exe")) return icon;
    const std::wstring folder = CleanFolder(program.installLocation);
    if (folder.empty()) return std::wstring();
    const std::wstring listed = appPaths.ExecutableIn(folder);
    return listed.empty() ? SingleExecutableIn(folder) : listed;
}
