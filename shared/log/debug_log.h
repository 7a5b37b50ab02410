#pragma once
// The module-wide debug log: one timestamped UTF-16 line per event, appended to
// a file shared by every process that loads the module and echoed to the
// debugger. Off unless HKLM\SOFTWARE\Quillmoor "debug" is the text "1" when the
// log is first used.
#include <windows.h>

class CMLog {
public:
    // The first call, from whichever thread, sets the log up once: reads the
    // switch, prepares the folder, creates the cross-process mutex. Registry
    // and shell calls are not allowed under the loader lock, so never from
    // DllMain: the module's entry point calls it instead.
    static CMLog& GetInstance();

    // printf-style with wvsprintfW conventions (%s takes a wide string). Leaves
    // the caller's last-error code as it was and never throws: a line that
    // cannot be written is dropped.
    void Log(const wchar_t* format, ...) noexcept;

    bool IsEnabled() const { return m_bEnabled != FALSE; }
    const wchar_t* LogPath() const { return m_szLogPath; }

    virtual ~CMLog();
    CMLog(const CMLog&) = delete;
    CMLog& operator=(const CMLog&) = delete;

protected:
    // A log switched on whatever the switch says, writing to logPath under the
    // same cross-process mutex: for tests, which must not touch the machine's
    // own log and its switch.
    explicit CMLog(const wchar_t* logPath);

private:
    CMLog();
    void Open(const wchar_t* logPath);
    void WriteLine(const wchar_t* message) noexcept;

    BOOL m_bEnabled;
    wchar_t m_szLogPath[MAX_PATH];
    HANDLE m_hMutex;
};
