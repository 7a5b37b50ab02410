#pragma once
// Runs one test program to its end or to its time limit, passing its output
// on as it comes and keeping it whole for the verdict.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct ChildRequest {
    std::wstring program;  // full path
    std::vector<std::wstring> arguments;
    std::wstring workingFolder;
    DWORD timeLimitSeconds;
};

enum class ChildEnding { kExited, kTimeLimit, kNotStarted };

struct ChildResult {
    ChildEnding ending = ChildEnding::kNotStarted;
    DWORD exitCode = 0;
    std::string output;  // standard output and error, as one stream of bytes
    DWORD seconds = 0;   // from its start to its end
    DWORD startError = 0;
};

struct ChildListener {
    std::function<void(const char* bytes, size_t count)> output;  // as it comes
    std::function<void(const std::wstring& line)> note;           // the runner's remark on how it runs
};

ChildResult RunChild(const ChildRequest& request, const ChildListener& listener);
