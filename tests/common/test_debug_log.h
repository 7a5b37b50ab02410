#pragma once
// The module-wide debug log as tests see it: switched on for a scope, and the
// messages it holds. The log and its switch are shared by the whole prefix, so
// a test program that uses them runs alone (RUN_SERIAL).
#include <string>
#include <vector>

#include "test_registry.h"

// Sets HKLM\SOFTWARE\Quillmoor "debug" to "1" and empties the log; the key is
// deleted at scope end. A module instance reads the switch when it first logs.
class DebugLogSwitchedOn {
public:
    DebugLogSwitchedOn();
    DebugLogSwitchedOn(const DebugLogSwitchedOn&) = delete;
    DebugLogSwitchedOn& operator=(const DebugLogSwitchedOn&) = delete;

private:
    TestRegistryKey m_switch;
};

std::wstring DebugLogPath();
void ClearDebugLog();
// The messages of the log's lines, in order, without their timestamps.
std::vector<std::wstring> DebugLogMessages();
