// Stands in for zqdownload.dll where a test needs to see exactly what the
// module asks for and how often it loads the download module.
#include <windows.h>

#include <string>

#include "wareseek/download_api.h"

namespace {

HMODULE g_self = nullptr;

void Record(const std::wstring& line) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(g_self, path, MAX_PATH);
    std::wstring file = path;
    file = file.substr(0, file.find_last_of(L'\\') + 1) + L"download_calls.txt";
    HANDLE handle = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return;
    const std::wstring text = line + L"\n";
    DWORD written = 0;
    WriteFile(handle, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(handle);
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
    Record(L"call " + std::to_wstring(reserved) + L" " + std::to_wstring(hostValue) + L" " + std::to_wstring(pluginId) +
           L" " + std::to_wstring(reserved2) + L" " + std::to_wstring(reserved3) + L" " +
           (request ? request : L"(null)"));
    return 0;
}
