#include "test_support.h"


#include "win_handles.h"

namespace zqd_test {
namespace {

std::wstring Escape(const std::wstring& text)
{
    std::wstring escaped;
    for (wchar_t c : text) {
        switch (c) {
        case L'&': escaped += L"&amp;"; break;
        case L'<': escaped += L"&lt;"; break;
        case L'>': escaped += L"&gt;"; break;
        case L'"': escaped += L"&quot;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring program(path, length);
    return program.substr(0, program.find_last_of(L"\\/"));
}

}  // namespace

TempFolder::TempFolder()
{
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static unsigned counter = 0;
    do {
        path_ = std::wstring(base) + L"zqdtest-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++counter);
    } while (!CreateDirectoryW(path_.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
}

TempFolder::~TempFolder()
{
    for (const std::wstring& name : Names()) {
        const std::wstring path = File(name);
        if (!DeleteFileW(path.c_str())) RemoveDirectoryW(path.c_str());
    }
    RemoveDirectoryW(path_.c_str());
}

std::vector<std::wstring> TempFolder::Names() const
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    zqd::FindHandle find(FindFirstFileW(File(L"*").c_str(), &entry));
    if (!find) return names;
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(find.Get(), &entry));
    return names;
}

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadBytes(const std::wstring& path)
{
    zqd::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (file && ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    zqd::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file) WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::wstring FileUrl(const std::wstring& path)
{
    std::wstring url = L"file:///" + path;
    for (wchar_t& c : url) {
        if (c == L'\\') c = L'/';
    }
    return url;
}

std::wstring RequestDocument(const std::wstring& target, const std::wstring& md5,
                             const std::vector<std::wstring>& urls)
{
    std::wstring document = L"<InsideParam filepath=\"" + Escape(target) + L"\" text=\"\" MD5=\"" + Escape(md5) +
                            L"\" action=\"0\">";
    for (const std::wstring& url : urls) document += L"<url>" + Escape(url) + L"</url>";
    return document + L"</InsideParam>";
}

DownloadModule::DownloadModule()
    : module_(LoadLibraryW((ProgramFolder() + L"\\..\\stage\\zqdownload.dll").c_str()))
{
    if (module_) {
        function_ = reinterpret_cast<DownloadPackageFn>(
            reinterpret_cast<void*>(GetProcAddress(module_, "DownloadPackage")));
    }
}

DownloadModule::~DownloadModule()
{
    if (module_) FreeLibrary(module_);
}

int DownloadModule::Download(const wchar_t* document) const
{
    return function_(0, 0, 13, document, 0, 0);
}

}  // namespace zqd_test
