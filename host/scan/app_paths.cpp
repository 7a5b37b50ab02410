#include "scan/app_paths.h"

#include "scan/path_text.h"
#include "scan/registry_values.h"

const wchar_t kAppPathsKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";

std::wstring AppPathsIndex::ExecutableIn(const std::wstring& folder) {
    if (!m_loaded) Load();
    for (const std::wstring& path : m_paths) {
        if (LiesIn(path, folder)) return path;
    }
    return std::wstring();
}

std::wstring AppPathsIndex::PathFor(const std::wstring& executableName) const {
    const UniqueRegKey entry =
        OpenForReading(m_source.root, std::wstring(kAppPathsKey) + L"\\" + executableName, m_source.viewFlag);
    return entry ? IconFilePath(PathValue(entry.Get(), L"", m_source.WrittenBy64Bit())) : std::wstring();
}

void AppPathsIndex::Load() {
    m_loaded = true;
    const UniqueRegKey list = OpenForReading(m_source.root, kAppPathsKey, m_source.viewFlag);
    if (!list) return;
    for (const std::wstring& name : SubKeyNames(list.Get())) {
        const UniqueRegKey entry = OpenForReading(list.Get(), name, m_source.viewFlag);
        // Installers write the path with and without quotes.
        if (entry) m_paths.push_back(IconFilePath(PathValue(entry.Get(), L"", m_source.WrittenBy64Bit())));
    }
}
