#pragma once
// A file that lives only for a scope: deleted when the owner goes unless
// Keep() was called, leaving the thread's last-error code as the failure that
// led there set it.
#include <windows.h>

#include <string>
#include <utility>

class TempFile {
public:
    explicit TempFile(std::wstring path) : path_(std::move(path)) {}
    ~TempFile() {
        if (path_.empty()) return;
        const DWORD error = GetLastError();
        DeleteFileW(path_.c_str());
        SetLastError(error);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::wstring& Path() const { return path_; }
    void Keep() { path_.clear(); }

private:
    std::wstring path_;
};
