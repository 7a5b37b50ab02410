#pragma once
// Ends the process when one case runs too long, so the driver can record the
// hang and go on in a new process. Also turns an unhandled exception into a
// plain exit instead of a debugger prompt.
#include <windows.h>

#include <string>

const int kHangExitCode = 86;
const int kCrashExitCode = 87;

// Writes the progress file: the case under way, or "end".
void WriteProgress(const std::wstring& path, const std::string& text);

class Watchdog {
public:
    Watchdog(DWORD limitMs, std::wstring progressPath);
    void Arm(uint32_t caseIndex);
    void Disarm();

private:
    static DWORD WINAPI Watch(void* self);
    DWORD m_limitMs;
    std::wstring m_progressPath;
    volatile LONG m_armed = 0;
    volatile LONG m_armedAt = 0;  // tick count when the case began
    volatile LONG m_case = 0;
};

void ExitOnUnhandledException();
