#pragma once
#include <windows.h>

// 1 when the module runs as a 32-bit process on 64-bit Windows, else 0.
// Rewritten by every catalogue refresh, read by the catalogue load and the
// download within that refresh.
extern LONG g_bIsWow64;

// Binds the WOW64 entry points of kernel32 by name at run time; any of them
// may be missing on older systems and is then null.
class CWOW64 {
public:
    CWOW64();
    virtual ~CWOW64();
    CWOW64(const CWOW64&) = delete;
    CWOW64& operator=(const CWOW64&) = delete;

    // Asks whether this process runs under WOW64; false when the entry point
    // is missing or the platform cannot say.
    bool IsWow64Process() const;

    // Switches the file-system redirection of this thread off until the
    // object goes, which switches it back on, however its scope ends. Every
    // file call of the thread meanwhile, library loads included, sees the
    // 64-bit system folder: keep the scope to the calls that need it. False
    // when it cannot (32-bit Windows, or no entry points).
    bool DisableFsRedirection();

    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    using DisableFsRedirectionFn = BOOL(WINAPI*)(PVOID*);
    using RevertFsRedirectionFn = BOOL(WINAPI*)(PVOID);
    using EnableFsRedirectionFn = BOOLEAN(WINAPI*)(BOOLEAN);

    IsWow64ProcessFn m_pfnIsWow64Process;
    DisableFsRedirectionFn m_pfnDisableFsRedirection;
    RevertFsRedirectionFn m_pfnRevertFsRedirection;
    EnableFsRedirectionFn m_pfnEnableFsRedirection;
    PVOID m_pOldRedirectionValue;
    // The saved state is null when redirection was on before, so whether this
    // object switched it off is kept on its own.
    bool m_bRedirectionOff;
};

// Sets g_bIsWow64 from a CWOW64 query: the first step of every refresh.
void UpdateWow64Flag(const CWOW64& wow64);
