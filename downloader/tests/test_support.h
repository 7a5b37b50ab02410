// Helpers for the download tests: scratch folders, file contents, request
// documents and the built zqdownload.dll.
#ifndef ZQDOWNLOAD_TEST_SUPPORT_H
#define ZQDOWNLOAD_TEST_SUPPORT_H

#include <windows.h>

#include <string>
#include <vector>

#include "win32/win_owners.h"
#include "test_files.h"
#include "wareseek/download_api.h"

namespace zqd_test {

// Scratch folders and file contents come from the project's test helpers.
using ::FileExists;
using ::ReadBytes;
using ::TempFolder;
using ::WriteBytes;

// file:///C:/dir/name for a full path.
std::wstring FileUrl(const std::wstring& path);

// An InsideParam document as the host builds it, values XML-escaped.
std::wstring RequestDocument(const std::wstring& target, const std::wstring& md5,
                             const std::vector<std::wstring>& urls);

// zqdownload.dll from the stage folder beside the test programs' folder.
class DownloadModule {
public:
    DownloadModule();
    DownloadModule(const DownloadModule&) = delete;
    DownloadModule& operator=(const DownloadModule&) = delete;

    bool Loaded() const { return function_ != nullptr; }
    int Download(const wchar_t* document) const;

private:
    UniqueModule module_;
    DownloadPackageFn function_ = nullptr;
};

}  // namespace zqd_test

#endif
