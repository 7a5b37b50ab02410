#pragma once
// Temporary folders and files for tests.
#include <string>

#include "text/utf8_text.h"
#include <vector>

// A fresh folder under the temp folder, deleted with everything in it at scope end.
// Its name, wsk<process>_<tick>_<count>, marks it as the tests' own.
class TempFolder {
public:
    TempFolder();
    explicit TempFolder(const std::wstring& parent);  // made in parent rather than the temp folder
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return m_path; }
    // Path of a file or folder inside this one (relative may contain backslashes).
    std::wstring Sub(const std::wstring& relative) const { return m_path + L"\\" + relative; }
    std::vector<std::wstring> Names() const;  // files and folders directly inside

private:
    std::wstring m_path;
};

// Whether a folder's name is one TempFolder gives.
bool IsTempFolderName(const std::wstring& name);

// Writes text as UTF-8 (no BOM), creating missing folders on the way.
void WriteUtf8File(const std::wstring& path, const std::wstring& text);
void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
void CreateFolders(const std::wstring& path);
// Deletes a folder with everything in it.
void DeleteTree(const std::wstring& folder);
bool FileExists(const std::wstring& path);
bool CopyFileTo(const std::wstring& from, const std::wstring& to);

// Folder of the running test program.
std::wstring ProgramFolder();
// The staged runnable set (build/stage) seen from the test programs' folder.
std::wstring StageFolder();
