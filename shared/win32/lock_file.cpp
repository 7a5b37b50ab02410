#include "win32/lock_file.h"

#include "win32/file_bytes.h"

UniqueFile HoldLockFile(const std::wstring& path) {
    return UniqueFile(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                  nullptr));
}

bool HeldElsewhere(const std::wstring& path, DWORD error) {
    // Access is also denied to an account that may not make the file at all:
    // then there is none.
    return error == ERROR_SHARING_VIOLATION || (error == ERROR_ACCESS_DENIED && !FileIsMissing(path));
}
