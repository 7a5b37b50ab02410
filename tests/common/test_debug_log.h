#pragma once
// The module-wide debug log as tests see it: switched on for a scope, and the
// messages it holds. The log and its switch belong to the PC: on a PC with the
// product installed they are that product's support log and setting. So a
// test borrows them only when nothing of the PC's is there to lose, notes what
// it changes before changing it (a run killed midway is undone by the next,
// see test_leftovers.h), and puts everything back at scope end. A test program
// that uses them runs alone (RUN_SERIAL).
#include <windows.h>

#include <string>
#include <vector>

// Why this process may not use the product's log mutex, for the test's skip;
// empty when it may: the mutex must not have existed when this program
// started (before it could have made it itself), or the product is logging
// on this PC.
std::string WhyTheLogMutexIsNotOurs();

// Why this process may not borrow the log; empty when it may. Besides the
// mutex, the log must not exist, and the switch is under HKLM, which only
// administrators may write.
std::string WhyTheDebugLogIsNotOurs();

// Skips the test with the reason, when there is one; where the environment has
// WARESEEK_LOG_TESTS_MUST_RUN (the project's own CTest entries in its own Wine
// prefixes), fails instead, so that a prefix left in a wrong state cannot
// silently turn the log tests off.
#define WARESEEK_SKIP_WITH(reason)                                                     \
    do {                                                                               \
        const std::string why_ = (reason);                                             \
        if (!why_.empty()) {                                                           \
            if (GetEnvironmentVariableA("WARESEEK_LOG_TESTS_MUST_RUN", nullptr, 0)) {  \
                FAIL() << why_;                                                        \
            }                                                                          \
            GTEST_SKIP() << why_;                                                      \
        }                                                                              \
    } while (false)

// Sets HKLM\SOFTWARE\Quillmoor "debug" to "1" and empties the log for its
// lifetime; then deletes the log and puts the switch back as it was. Changes
// nothing where the log is not the tests' (see above). A module instance reads
// the switch when it first logs.
class DebugLogSwitchedOn {
public:
    DebugLogSwitchedOn();
    ~DebugLogSwitchedOn();
    DebugLogSwitchedOn(const DebugLogSwitchedOn&) = delete;
    DebugLogSwitchedOn& operator=(const DebugLogSwitchedOn&) = delete;

    bool Borrowed() const { return m_borrowed; }
    // Whether the log's folders were made for the borrow (they are there
    // during it, and go with it), so that a test may remove them meanwhile.
    bool MadeTheFolders() const { return m_madeTheFolders; }
    // The switch as a text, or removed (nullptr), or a number, while borrowed.
    void SetSwitch(const wchar_t* text) const;
    void SetSwitchNumber(DWORD number) const;

private:
    bool m_borrowed = false;
    bool m_madeTheFolders = false;
};

std::wstring DebugLogPath();
// The folder the log's folder is in (the all-users documents' Quillmoor).
std::wstring DebugLogOuterFolder();
void ClearDebugLog();
// The lines of a log file (without the byte-order mark), split at CR LF; a
// last line without CR LF too.
std::vector<std::wstring> LogFileLines(const std::wstring& path);
// The messages of the log's lines, in order, without their timestamps.
std::vector<std::wstring> DebugLogMessages();

// Puts back the switch that a killed run left as it noted, and deletes the log
// that run wrote. Returns what it did, or empty when nothing was left.
std::wstring RestoreDebugLogLeftByAKilledRun();
