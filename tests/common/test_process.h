#pragma once
// A real process started for a test and ended at scope end.
#include <windows.h>

#include <string>

class RunningProcess {
public:
    // Starts exePath (no arguments); waits until the process is listed.
    explicit RunningProcess(const std::wstring& exePath);
    ~RunningProcess();
    RunningProcess(const RunningProcess&) = delete;
    RunningProcess& operator=(const RunningProcess&) = delete;

    bool Started() const { return m_info.hProcess != nullptr; }
    DWORD Id() const { return m_info.dwProcessId; }

private:
    PROCESS_INFORMATION m_info = {};
};

// Runs a command line to its end; returns its exit code (or -1).
int RunToEnd(const std::wstring& commandLine, DWORD timeoutMs = 120000);

// Runs a command line to its end with its standard output read into output;
// returns its exit code (or -1).
int RunCapturingOutput(const std::wstring& commandLine, std::string& output);
