// Stands in for zqdownload.dll where a test needs to see exactly what the
// module asks for and how often it loads the download module. When a file
// download_answer.xml lies beside it, its bytes are written over the request's
// file in place, as a writer that shares the file with its other openers
// would, and success is reported; otherwise every call fails. When a file
// download_pause_ms.txt lies beside it, every call first sleeps as many
// milliseconds as it says, as a slow server would keep it.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "wareseek/download_api.h"

namespace {

HMODULE g_self = nullptr;

std::wstring BesideSelf(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(g_self, path, MAX_PATH);
    const std::wstring self = path;
    return self.substr(0, self.find_last_of(L'\\') + 1) + name;
}

void Record(const std::wstring& line) {
    const std::wstring file = BesideSelf(L"download_calls.txt");
    HANDLE handle = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return;
    const std::wstring text = line + L"\n";
    DWORD written = 0;
    WriteFile(handle, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(handle);
}

// The request's filepath attribute (the module escapes nothing a test path has).
std::wstring TargetOf(const std::wstring& request) {
    const std::wstring key = L"filepath=\"";
    const std::size_t start = request.find(key);
    if (start == std::wstring::npos) return std::wstring();
    const std::size_t end = request.find(L'"', start + key.size());
    return request.substr(start + key.size(), end - start - key.size());
}

bool WriteAnswer(const std::wstring& target) {
    HANDLE answer = CreateFileW(BesideSelf(L"download_answer.xml").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (answer == INVALID_HANDLE_VALUE) return false;
    char bytes[4096];
    DWORD size = 0;
    ReadFile(answer, bytes, sizeof bytes, &size, nullptr);
    CloseHandle(answer);
    HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool done = WriteFile(file, bytes, size, &written, nullptr) && written == size;
    CloseHandle(file);
    return done;
}

void PauseAsTold() {
    HANDLE file = CreateFileW(BesideSelf(L"download_pause_ms.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    char digits[16] = {};
    DWORD size = 0;
    ReadFile(file, digits, sizeof digits - 1, &size, nullptr);
    CloseHandle(file);
    Sleep(static_cast<DWORD>(strtoul(digits, nullptr, 10)));
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_self = self;
        Record(L"load");
    } else if (reason == DLL_PROCESS_DETACH) {
        Record(L"unload");
    }
    return TRUE;
}

extern "C" __declspec(dllexport) int __cdecl DownloadPackage(int reserved, int hostValue, int pluginId,
                                                             const wchar_t* request, int reserved2, int reserved3) {
    PauseAsTold();
    Record(L"call " + std::to_wstring(reserved) + L" " + std::to_wstring(hostValue) + L" " + std::to_wstring(pluginId) +
           L" " + std::to_wstring(reserved2) + L" " + std::to_wstring(reserved3) + L" " +
           (request ? request : L"(null)"));
    return request && WriteAnswer(TargetOf(request)) ? 1 : 0;
}
