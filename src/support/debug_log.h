#pragma once
// The module-wide debug log: one timestamped UTF-16 line per event, appended to
// a file shared by every process that loads the module and echoed to the
// debugger. Off unless HKLM\SOFTWARE\Quillmoor "debug" is the text "1" when the
// module loads.
#include <windows.h>

class CMLog {
public:
    static CMLog& GetInstance();

    // Creates the cross-process mutex and completes the file path; called once
    // when the module is loaded.
    void Init();
    // printf-style with wvsprintfW conventions (%s takes a wide string). Leaves
    // the caller's last-error code as it was and never throws: a line that
    // cannot be written is dropped.
    void Log(const wchar_t* format, ...) noexcept;

    bool IsEnabled() const { return m_bEnabled != FALSE; }
    const wchar_t* LogPath() const { return m_szLogPath; }

    virtual ~CMLog();
    CMLog(const CMLog&) = delete;
    CMLog& operator=(const CMLog&) = delete;

private:
    CMLog();
    void WriteLine(const wchar_t* message) noexcept;

    BOOL m_bEnabled;
    wchar_t m_szLogPath[MAX_PATH];
    HANDLE m_hMutex;
};
