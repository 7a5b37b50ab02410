#include "test_platform.h"

#include <windows.h>

#include "win32/win_owners.h"

bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool RunningElevated() {
    // Under Wine every account is an administrator: a run there takes the
    // standard user's path only when asked to, e.g. by a Unix user that may
    // not write Program Files. Wine 10 gives a program whose manifest asks for
    // asInvoker a token that says it is not elevated, yet holds it to nothing:
    // it writes HKLM, Program Files and the machine's stores as before.
    if (GetEnvironmentVariableW(L"WARESEEK_TESTS_AS_STANDARD_USER", nullptr, 0)) return false;
    if (RunningUnderWine()) return true;
    HANDLE raw = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) {
        const UniqueHandle token(raw);
        TOKEN_ELEVATION elevation = {};
        DWORD size = 0;
        if (GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof elevation, &size)) {
            return elevation.TokenIsElevated != 0;
        }
    }
    // Elevation is unknown before Vista; membership of Administrators decides.
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof administrators;
    BOOL member = FALSE;
    return CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &sidSize) &&
           CheckTokenMembership(nullptr, administrators, &member) && member;
}
