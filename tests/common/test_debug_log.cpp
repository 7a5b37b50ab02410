#include "test_debug_log.h"

#include <windows.h>
#include <shlobj.h>

#include "test_files.h"

DebugLogSwitchedOn::DebugLogSwitchedOn() : m_switch(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Quillmoor") {
    m_switch.SetString(L"debug", L"1");
    ClearDebugLog();
}

std::wstring DebugLogPath() {
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_COMMON_DOCUMENTS, nullptr, 0, folder);
    return std::wstring(folder) + L"\\Quillmoor\\log\\wareseek.log";
}

void ClearDebugLog() {
    DeleteFileW(DebugLogPath().c_str());
}

std::vector<std::wstring> DebugLogMessages() {
    const std::string bytes = ReadBytes(DebugLogPath());
    if (bytes.size() < 2) return {};
    const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / sizeof(wchar_t));
    const size_t stamp = 20;  // "yyyy-mm-dd hh:mm:ss" and a TAB
    std::vector<std::wstring> messages;
    for (size_t start = 0, end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2) {
        messages.push_back(end - start > stamp ? text.substr(start + stamp, end - start - stamp) : std::wstring());
    }
    return messages;
}
