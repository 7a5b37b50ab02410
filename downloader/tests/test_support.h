// Helpers for the download tests: scratch folders, file contents, request
// documents and the built zqdownload.dll.
#ifndef ZQDOWNLOAD_TEST_SUPPORT_H
#define ZQDOWNLOAD_TEST_SUPPORT_H

#include <windows.h>

#include <string>
#include <vector>

#include "wareseek/download_api.h"

namespace zqd_test {

// A new, empty folder under the temp path, deleted with its files.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }
    std::vector<std::wstring> Names() const;  // files and folders inside

private:
    std::wstring path_;
};

bool FileExists(const std::wstring& path);
std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);

// file:///C:/dir/name for a full path.
std::wstring FileUrl(const std::wstring& path);

// An InsideParam document as the host builds it, values XML-escaped.
std::wstring RequestDocument(const std::wstring& target, const std::wstring& md5,
                             const std::vector<std::wstring>& urls);

// zqdownload.dll from the stage folder beside the test programs' folder.
class DownloadModule {
public:
    DownloadModule();
    ~DownloadModule();
    DownloadModule(const DownloadModule&) = delete;
    DownloadModule& operator=(const DownloadModule&) = delete;

    bool Loaded() const { return function_ != nullptr; }
    int Download(const wchar_t* document) const;

private:
    HMODULE module_ = nullptr;
    DownloadPackageFn function_ = nullptr;
};

}  // namespace zqd_test

#endif
