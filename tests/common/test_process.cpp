#include "test_process.h"

#include <vector>

#include "win32/win_owners.h"

RunningProcess::RunningProcess(const std::wstring& exePath) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    std::vector<wchar_t> commandLine(exePath.begin(), exePath.end());
    commandLine.push_back(L'\0');
    if (!CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &m_info)) {
        m_info = {};
        return;
    }
    // The image must be mapped and listed before a probe can see it.
    Sleep(500);
}

RunningProcess::~RunningProcess() {
    if (!m_info.hProcess) return;
    TerminateProcess(m_info.hProcess, 0);
    WaitForSingleObject(m_info.hProcess, 5000);
    CloseHandle(m_info.hThread);
    CloseHandle(m_info.hProcess);
}

namespace {

// Starts commandLine with startup, passing the handles it names when
// inheritHandles is set; the child's process handle, or none.
UniqueHandle Start(const std::wstring& commandLine, STARTUPINFOW& startup, bool inheritHandles) {
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::vector<wchar_t> text(commandLine.begin(), commandLine.end());
    text.push_back(L'\0');
    if (!CreateProcessW(nullptr, text.data(), nullptr, nullptr, inheritHandles, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &info)) {
        return UniqueHandle();
    }
    const UniqueHandle thread(info.hThread);
    return UniqueHandle(info.hProcess);
}

// The exit code once the process ends within timeoutMs, else -1.
int ExitCodeOf(const UniqueHandle& process, DWORD timeoutMs) {
    DWORD exitCode = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.Get(), timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(process.Get(), &exitCode);
    return static_cast<int>(exitCode);
}

}  // namespace

int RunToEnd(const std::wstring& commandLine, DWORD timeoutMs) {
    STARTUPINFOW startup = {};
    const UniqueHandle process = Start(commandLine, startup, false);
    return process ? ExitCodeOf(process, timeoutMs) : -1;
}

int RunCapturingOutput(const std::wstring& commandLine, std::string& output) {
    output.clear();
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    UniqueHandle readEnd;
    UniqueHandle writeEnd;
    if (!CreatePipe(readEnd.Receive(), writeEnd.Receive(), &inheritable, 0)) return -1;
    SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);  // only the child's end is inherited
    STARTUPINFOW startup = {};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    const UniqueHandle process = Start(commandLine, startup, true);
    if (!process) return -1;
    writeEnd.Reset();  // the read below ends when the child's copy closes
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd.Get(), buffer, sizeof buffer, &got, nullptr) && got != 0) output.append(buffer, got);
    return ExitCodeOf(process, INFINITE);
}
