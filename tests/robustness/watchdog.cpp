#include "watchdog.h"

#include <utility>

#include "test_files.h"

void WriteProgress(const std::wstring& path, const std::string& text) {
    if (!path.empty()) WriteBytes(path, text + "\n");
}

Watchdog::Watchdog(DWORD limitMs, std::wstring progressPath)
    : m_limitMs(limitMs), m_progressPath(std::move(progressPath)) {
    HANDLE thread = CreateThread(nullptr, 0, &Watchdog::Watch, this, 0, nullptr);
    if (thread) CloseHandle(thread);  // runs until the process ends
}

void Watchdog::Arm(uint32_t caseIndex) {
    InterlockedExchange(&m_case, static_cast<LONG>(caseIndex));
    InterlockedExchange(&m_armedAt, static_cast<LONG>(GetTickCount()));
    InterlockedExchange(&m_armed, 1);
}

void Watchdog::Disarm() {
    InterlockedExchange(&m_armed, 0);
}

DWORD WINAPI Watchdog::Watch(void* self) {
    Watchdog& dog = *static_cast<Watchdog*>(self);
    for (;;) {
        Sleep(250);
        if (InterlockedCompareExchange(&dog.m_armed, 0, 0) == 0) continue;
        const DWORD armedAt = static_cast<DWORD>(InterlockedCompareExchange(&dog.m_armedAt, 0, 0));
        if (GetTickCount() - armedAt < dog.m_limitMs) continue;
        WriteProgress(dog.m_progressPath, "hang " + std::to_string(dog.m_case));
        TerminateProcess(GetCurrentProcess(), kHangExitCode);
    }
}

namespace {

LONG WINAPI ExitAtOnce(EXCEPTION_POINTERS* info) {
    fprintf(stderr, "robustness: unhandled exception 0x%08lx at %p\n", info->ExceptionRecord->ExceptionCode,
            info->ExceptionRecord->ExceptionAddress);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), kCrashExitCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void ExitOnUnhandledException() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(&ExitAtOnce);
}
