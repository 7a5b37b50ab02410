#include "support/debug_log.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <cstdarg>
#include <string>

#include "support/win_owners.h"

namespace {

const wchar_t kSwitchKey[] = L"SOFTWARE\\Quillmoor";
const wchar_t kSwitchValue[] = L"debug";
const wchar_t kLogFileName[] = L"wareseek.log";
const DWORD kSizeLimit = 10485760;  // a bigger file is restarted
// A process that holds the shared mutex must not hang the host's thread: after
// this long the line is dropped instead. Once a wait has timed out, later lines
// only try the mutex, until it is free again.
const DWORD kMutexWaitMs = 3000;
LONG g_mutexSeemsStuck = 0;
const size_t kMessageChars = 2048;
const size_t kDebugOutputChars = 2048;  // terminator included
const size_t kFileLineChars = 1024;     // terminator included

bool SwitchIsOn() {
    wchar_t data[MAX_PATH] = {};
    DWORD type = 0;
    DWORD size = MAX_PATH;  // bytes, as the switch allows
    if (SHGetValueW(HKEY_LOCAL_MACHINE, kSwitchKey, kSwitchValue, &type, data, &size) != ERROR_SUCCESS) return false;
    data[MAX_PATH - 1] = L'\0';
    return lstrcmpiW(data, L"1") == 0;
}

// The mutex every process takes for one line. A null DACL: every account on the
// machine may open and wait on it. Null when it can't be created, e.g. without
// the right to create global objects.
HANDLE CreateLogMutex() {
    SECURITY_DESCRIPTOR descriptor = {};
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
    wchar_t mutexName[MAX_PATH] = {};
    wsprintfW(mutexName, L"Global\\MLOG%s", kLogFileName);
    return CreateMutexW(&attributes, FALSE, mutexName);
}

// Holds the shared mutex for one line. A wait that times out owns nothing; an
// abandoned mutex is owned; a missing or broken mutex lets the line through
// without cross-process exclusion.
class MutexTurn {
public:
    explicit MutexTurn(HANDLE mutex) : m_mutex(mutex) {
        const DWORD patience = InterlockedCompareExchange(&g_mutexSeemsStuck, 0, 0) ? 0 : kMutexWaitMs;
        DWORD outcome = mutex ? WaitForSingleObject(mutex, patience) : WAIT_FAILED;
        m_owned = outcome == WAIT_OBJECT_0 || outcome == WAIT_ABANDONED;
        m_timedOut = outcome == WAIT_TIMEOUT;
        InterlockedExchange(&g_mutexSeemsStuck, m_timedOut ? 1 : 0);
    }
    ~MutexTurn() {
        if (m_owned) ReleaseMutex(m_mutex);
    }
    MutexTurn(const MutexTurn&) = delete;
    MutexTurn& operator=(const MutexTurn&) = delete;
    bool TimedOut() const { return m_timedOut; }

private:
    HANDLE m_mutex;
    bool m_owned = false;
    bool m_timedOut = false;
};

UniqueFile OpenLogFile(const wchar_t* path) {
    return UniqueFile(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void RestartIfTooLarge(const wchar_t* path) {
    WIN32_FILE_ATTRIBUTE_DATA attributes = {};
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &attributes)) return;
    if (attributes.nFileSizeHigh != 0 || attributes.nFileSizeLow > kSizeLimit) DeleteFileW(path);
}

void CreateWithByteOrderMark(const wchar_t* path) {
    if (PathFileExistsW(path)) return;
    UniqueFile file = OpenLogFile(path);
    if (!file) return;
    LARGE_INTEGER size = {};
    if (GetFileSizeEx(file.Get(), &size) && size.QuadPart < 2) {
        const BYTE mark[2] = {0xFF, 0xFE};
        DWORD written = 0;
        WriteFile(file.Get(), mark, sizeof mark, &written, nullptr);
    }
}

std::wstring Timestamp() {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    wchar_t text[100] = {};
    wsprintfW(text, L"%d-%02d-%02d %02d:%02d:%02d", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
              now.wSecond);
    return text;
}

// Appends text, cut so that the whole stays below limit characters.
void AppendCut(std::wstring& target, const wchar_t* text, size_t limit) {
    if (target.size() >= limit - 1) return;
    target.append(text, wcsnlen(text, limit - 1 - target.size()));
}

}  // namespace

CMLog& CMLog::GetInstance() {
    static CMLog instance;  // constructed once, other threads wait for it
    return instance;
}

CMLog::CMLog() : m_bEnabled(FALSE), m_szLogPath(), m_hMutex(nullptr) {
    if (!SwitchIsOn()) return;
    m_bEnabled = TRUE;
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_DOCUMENTS, nullptr, 0, folder))) return;
    // Both folders usually exist already; a failure shows later as dropped lines.
    PathAppendW(folder, L"Quillmoor");
    CreateDirectoryW(folder, nullptr);
    PathAppendW(folder, L"log");
    CreateDirectoryW(folder, nullptr);
    m_hMutex = CreateLogMutex();
    PathAppendW(folder, kLogFileName);
    lstrcpynW(m_szLogPath, folder, MAX_PATH);
}

CMLog::~CMLog() {
    if (m_hMutex) CloseHandle(m_hMutex);
}

void CMLog::Log(const wchar_t* format, ...) noexcept {
    if (!m_bEnabled || !format) return;
    const DWORD savedError = GetLastError();
    {
        MutexTurn turn(m_hMutex);
        if (!turn.TimedOut()) {
            wchar_t message[kMessageChars] = {};
            va_list arguments;
            va_start(arguments, format);
            wvsprintfW(message, format, arguments);  // writes at most 1,024 characters
            va_end(arguments);
            WriteLine(message);
        }
    }
    SetLastError(savedError);
}

void CMLog::WriteLine(const wchar_t* message) noexcept try {
    std::wstring debugOutput;
    AppendCut(debugOutput, message, kDebugOutputChars);
    AppendCut(debugOutput, L"\r\n", kDebugOutputChars);
    OutputDebugStringW(debugOutput.c_str());

    RestartIfTooLarge(m_szLogPath);
    CreateWithByteOrderMark(m_szLogPath);

    std::wstring line = Timestamp();
    AppendCut(line, L"\t", kFileLineChars);
    AppendCut(line, message, kFileLineChars);
    AppendCut(line, L"\r\n", kFileLineChars);

    UniqueFile file = OpenLogFile(m_szLogPath);
    if (!file) return;
    const DWORD offset = SetFilePointer(file.Get(), 0, nullptr, FILE_END);
    const DWORD bytes = static_cast<DWORD>(line.size() * sizeof(wchar_t));
    LockFile(file.Get(), offset, 0, bytes, 0);
    DWORD written = 0;
    WriteFile(file.Get(), line.data(), bytes, &written, nullptr);
    UnlockFile(file.Get(), offset, 0, bytes, 0);
} catch (...) {
    // No memory for the line's text: the line is dropped.
}
