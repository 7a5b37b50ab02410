#pragma once
// The App Paths entries of one root key and registry view: each key is named
// after an executable and its default value is that executable's full path.
#include <string>
#include <vector>

#include "scan/installed_programs.h"

extern const wchar_t kAppPathsKey[];

class AppPathsIndex {
public:
    explicit AppPathsIndex(const UninstallSource& source) : m_source(source) {}

    // The first entry's path that lies inside folder (a cleaned folder);
    // empty when none does. The entries are read on the first call.
    std::wstring ExecutableIn(const std::wstring& folder);

    // The path the entry for this executable name holds, without quotes and
    // expanded as the probe expands it; empty when there is none.
    std::wstring PathFor(const std::wstring& executableName) const;

private:
    void Load();

    UninstallSource m_source;
    bool m_loaded = false;
    std::vector<std::wstring> m_paths;
};
