#include "log/debug_log.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <cstdarg>
#include <string>

#include "win32/file_bytes.h"
#include "win32/win_owners.h"

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
// The same for the line lock, held by another process only while it writes:
// after this long the line goes out unlocked.
const DWORD kLineLockWaitMs = 500;
LONG g_lineLockSeemsStuck = 0;
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

void RestartIfTooLarge(const wchar_t* path) {
    WIN32_FILE_ATTRIBUTE_DATA attributes = {};
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &attributes)) return;
    if (attributes.nFileSizeHigh != 0 || attributes.nFileSizeLow > kSizeLimit) DeleteFileW(path);
}

// The file appears with its byte-order mark or not at all: without the mutex,
// another process's first line could otherwise land before or under the mark.
void CreateWithByteOrderMark(const wchar_t* path) {
    if (!PathFileExistsW(path)) CreateFileAtomically(path, std::string("\xFF\xFE", 2));
}

// Append-only access (no FILE_WRITE_DATA): each write goes to the end of the
// file, even when processes write without the mutex. Read access lets LineLock
// lock a byte range. A file missing again (restarted by another process just
// now) is not recreated without its mark: the line is dropped.
UniqueFile OpenForAppending(const wchar_t* path) {
    return UniqueFile(CreateFileW(path, GENERIC_READ | FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Makes the line writes of all processes take turns, with or without the
// mutex: appends from several processes are whole on Windows but not under
// Wine, which puts each at the end it last saw. The lock is on a byte the log
// never reaches (it restarts past 10 MiB), so it blocks no reading or writing,
// only other lines' locks. A lock on the bytes being written would instead make
// another process's append into them fail on Windows.
class LineLock {
public:
    explicit LineLock(HANDLE file) : m_file(file) {
        const DWORD patience = InterlockedCompareExchange(&g_lineLockSeemsStuck, 0, 0) ? 0 : kLineLockWaitMs;
        const DWORD start = GetTickCount();
        while (!(m_owned = TryLock())) {
            if (GetLastError() != ERROR_LOCK_VIOLATION || GetTickCount() - start >= patience) break;
            Sleep(1);  // the holder only writes one line
        }
        InterlockedExchange(&g_lineLockSeemsStuck, m_owned ? 0 : 1);
    }
    ~LineLock() {
        OVERLAPPED place = Place();
        if (m_owned) UnlockFileEx(m_file, 0, 1, 0, &place);
    }
    LineLock(const LineLock&) = delete;
    LineLock& operator=(const LineLock&) = delete;

private:
    static OVERLAPPED Place() {
        OVERLAPPED place = {};
        place.OffsetHigh = 1;  // 4 GiB
        return place;
    }
    bool TryLock() {
        OVERLAPPED place = Place();
        return LockFileEx(m_file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &place) != FALSE;
    }

    HANDLE m_file;
    bool m_owned = false;
};

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
    PathAppendW(folder, kLogFileName);
    Open(folder);
}

CMLog::CMLog(const wchar_t* logPath) : m_bEnabled(TRUE), m_szLogPath(), m_hMutex(nullptr) {
    Open(logPath);
}

void CMLog::Open(const wchar_t* logPath) {
    m_hMutex = CreateLogMutex();
    lstrcpynW(m_szLogPath, logPath, MAX_PATH);
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

    UniqueFile file = OpenForAppending(m_szLogPath);
    if (!file) return;
    LineLock turn(file.Get());
    DWORD written = 0;
    WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written, nullptr);
} catch (...) {
    // No memory for the line's text: the line is dropped.
}
