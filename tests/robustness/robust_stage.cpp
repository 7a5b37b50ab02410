#include "robust_stage.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "case_generator.h"
#include "staged_module.h"
#include "win32/win_owners.h"
#include "test_files.h"
#include "win32/library_function.h"

namespace {

std::wstring OuterFolder() {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    return std::wstring(base) + L"wareseek-robustness";
}

void PutFile(const std::wstring& path, const CaseFile& file) {
    DeleteTree(path);  // whatever the last case left there, file or folder
    DeleteFileW(path.c_str());
    if (file.shape == FileShape::Bytes) WriteBytes(path, file.bytes);
    if (file.shape == FileShape::Folder) CreateFolders(path);
}

void WriteRegistry(const RobustCase& robustCase) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kRobustnessKey);
    UniqueRegKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRobustnessKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Receive(),
                        nullptr) != ERROR_SUCCESS)
        return;
    for (const CaseRegValue& value : robustCase.values)
        RegSetValueExW(key.Get(), value.name.c_str(), 0, value.type,
                       reinterpret_cast<const BYTE*>(value.data.data()), static_cast<DWORD>(value.data.size()));
}

// Names, sizes and times of everything below folder, skipping one subfolder.
void ListTree(const std::wstring& folder, const std::wstring& skip, std::wstring& out) {
    WIN32_FIND_DATAW entry;
    UniqueFind find(FindFirstFileW((folder + L"\\*").c_str(), &entry));
    if (!find) return;
    do {
        const std::wstring name = entry.cFileName;
        const std::wstring path = folder + L"\\" + name;
        if (name == L"." || name == L".." || path == skip) continue;
        out += path + L" " + std::to_wstring(entry.nFileSizeLow) + L" " +
               std::to_wstring(entry.ftLastWriteTime.dwLowDateTime) + L"\n";
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ListTree(path, skip, out);
    } while (FindNextFileW(find.Get(), &entry));
}

std::wstring LogFolder() {
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_COMMON_DOCUMENTS, nullptr, 0, folder);
    return std::wstring(folder) + L"\\Quillmoor";
}

}  // namespace

RobustStage::RobustStage() {
    const std::wstring outer = OuterFolder();
    DeleteTree(outer);
    CreateFolders(outer + L"\\current");
    WriteBytes(outer + L"\\sentinel.txt", "left alone");
    SetCurrentDirectoryW((outer + L"\\current").c_str());
    const std::wstring dll = ModuleFolder() + L"\\wareseek.dll";
    CreateFolders(ModuleFolder());
    if (!CopyFileTo(StageFolder() + L"\\wareseek.dll", dll)) return;
    m_module = LoadLibraryW(dll.c_str());
    if (m_module)
        m_query = LibraryFunction<PIQueryInterfaceFn>(m_module, "PIQueryInterface");
}

RobustStage::~RobustStage() {
    if (m_module) FreeLibrary(m_module);
    RegDeleteTreeW(HKEY_CURRENT_USER, kRobustnessKey);
    SetCurrentDirectoryW(ProgramFolder().c_str());
    DeleteTree(OuterFolder());
}

std::wstring RobustStage::ModuleFolder() {
    return OuterFolder() + L"\\module";
}

void RobustStage::WriteInputs(const RobustCase& robustCase, UniqueFile& lock) const {
    const std::wstring folder = ModuleFolder();
    DeleteTree(folder + L"\\ProductCfg");  // backups of earlier cases must not leak in
    CreateFolders(folder + L"\\ProductCfg");
    const std::wstring catalogue = folder + L"\\ProductCfg\\" + StagedModule::OwnCatalogueName();
    PutFile(catalogue, robustCase.catalogue);
    if (robustCase.catalogue.locked)
        lock.Reset(CreateFileW(catalogue.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    PutFile(folder + L"\\config\\reporttempl.xml", robustCase.reportTemplate);
    WriteRegistry(robustCase);
}

std::wstring RobustStage::OutsideSnapshot() const {
    std::wstring snapshot;
    ListTree(OuterFolder(), ModuleFolder(), snapshot);
    ListTree(LogFolder(), L"", snapshot);
    return snapshot;
}

bool DebugLogSwitchedOn() {
    wchar_t data[MAX_PATH] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t);
    if (SHGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Quillmoor", L"debug", nullptr, data, &size) != ERROR_SUCCESS)
        return false;
    return lstrcmpiW(data, L"1") == 0;
}
