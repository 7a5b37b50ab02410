#include "win32/file_bytes.h"

#include <windows.h>

#include <algorithm>
#include <optional>

#include "text/path_parts.h"
#include "win32/temp_file.h"
#include "win32/win_owners.h"

namespace {

std::optional<std::wstring> FullPath(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return std::nullopt;
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
    if (length == 0 || length >= needed) return std::nullopt;
    full.resize(length);
    return full;
}

bool WriteContents(const std::wstring& path, const std::string& bytes) {
    UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file.Get(), bytes.data() + done, wanted, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return FlushFileBuffers(file.Get()) != FALSE;
}

bool ReadAll(HANDLE file, std::string& contents) {
    std::size_t done = 0;
    while (done < contents.size()) {
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(contents.size() - done, 1u << 20));
        DWORD read = 0;
        if (!ReadFile(file, &contents[done], wanted, &read, nullptr) || read == 0) return false;
        done += read;
    }
    return true;
}

bool WriteAtomically(const std::wstring& target, const std::string& bytes, DWORD moveFlags) {
    const std::optional<std::wstring> full = FullPath(target);
    if (!full) return false;
    const std::wstring folder = FolderOf(*full);
    wchar_t tempName[MAX_PATH];
    if (folder.empty() || !GetTempFileNameW(folder.c_str(), L"zqd", 0, tempName)) return false;

    TempFile temp(tempName);
    if (!WriteContents(temp.Path(), bytes)) return false;
    if (!MoveFileExW(temp.Path().c_str(), full->c_str(), moveFlags | MOVEFILE_WRITE_THROUGH))
        return false;
    temp.Keep();
    return true;
}

}  // namespace

std::optional<std::string> ReadFileBytes(const std::wstring& path, std::size_t maxBytes) {
    // Shared as widely as possible: a read must not fail while a scanner holds
    // the file open, nor keep a download from moving a new file over it.
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.Get(), &size)) return std::nullopt;
    if (static_cast<unsigned long long>(size.QuadPart) > maxBytes) return std::nullopt;
    std::string contents(static_cast<std::size_t>(size.QuadPart), '\0');
    if (!ReadAll(file.Get(), contents)) return std::nullopt;
    return contents;
}

bool ReplaceFileAtomically(const std::wstring& target, const std::string& bytes) {
    return WriteAtomically(target, bytes, MOVEFILE_REPLACE_EXISTING);
}

bool CreateFileAtomically(const std::wstring& target, const std::string& bytes) {
    return WriteAtomically(target, bytes, 0);
}

bool FileIsMissing(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}
