#include "test_files.h"

#include <windows.h>
#include <shlwapi.h>

#include <atomic>
#include <regex>
#include <stdexcept>

#include "win32/win_owners.h"

namespace {

// Calls visit(name, isFolder) for every entry directly inside folder.
template <typename Visit>
void ForEachEntry(const std::wstring& folder, Visit visit) {
    WIN32_FIND_DATAW entry;
    UniqueFind find(FindFirstFileW((folder + L"\\*").c_str(), &entry));
    if (!find) return;
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") visit(name, (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileW(find.Get(), &entry));
}

}  // namespace

void DeleteTree(const std::wstring& folder) {
    // A link (junction or symbolic link) is removed, never what it points at.
    if (GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) {
        RemoveDirectoryW(folder.c_str());
        return;
    }
    ForEachEntry(folder, [&folder](const std::wstring& name, bool isFolder) {
        const std::wstring path = folder + L"\\" + name;
        if (isFolder) {
            DeleteTree(path);
        } else {
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
        }
    });
    RemoveDirectoryW(folder.c_str());
}

bool IsTempFolderName(const std::wstring& name) {
    static const std::wregex shape(L"wsk\\d+_\\d+_\\d+");
    return std::regex_match(name, shape);
}

TempFolder::TempFolder() : TempFolder(std::wstring()) {}

TempFolder::TempFolder(const std::wstring& parent) {
    static std::atomic<unsigned> counter{0};
    wchar_t base[MAX_PATH] = {};
    if (parent.empty()) {
        GetTempPathW(MAX_PATH, base);
    } else {
        lstrcpynW(base, (parent + L"\\").c_str(), MAX_PATH);
    }
    m_path = std::wstring(base) + L"wsk" + std::to_wstring(GetCurrentProcessId()) + L"_" +
             std::to_wstring(GetTickCount() % 100000) + L"_" + std::to_wstring(counter++);
    CreateFolders(m_path);
}

TempFolder::~TempFolder() {
    DeleteTree(m_path);
}

std::vector<std::wstring> TempFolder::Names() const {
    std::vector<std::wstring> names;
    ForEachEntry(m_path, [&names](const std::wstring& name, bool) { names.push_back(name); });
    return names;
}

void CreateFolders(const std::wstring& path) {
    for (size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == L'\\') CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
    }
}

namespace {

// Creates the folders a file at path needs.
void CreateParentFolders(const std::wstring& path) {
    const size_t cut = path.find_last_of(L'\\');
    if (cut != std::wstring::npos) CreateFolders(path.substr(0, cut));
}

}  // namespace

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    CreateParentFolders(path);
    UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw std::runtime_error("cannot create test file");
    DWORD written = 0;
    WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void WriteUtf8File(const std::wstring& path, const std::wstring& text) {
    WriteBytes(path, ToUtf8(text));
}

std::string ReadBytes(const std::wstring& path) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    char chunk[65536];
    DWORD read = 0;
    while (file && ReadFile(file.Get(), chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
    return bytes;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CopyFileTo(const std::wstring& from, const std::wstring& to) {
    CreateParentFolders(to);
    return CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
}

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    PathRemoveFileSpecW(path);
    return path;
}

std::wstring StageFolder() {
    return ProgramFolder() + L"\\..\\stage";
}

