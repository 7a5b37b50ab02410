#pragma once
// Where the run's output goes: the console (or whatever standard output is)
// and the results file. The test programs' output is passed on byte for byte;
// the runner's own lines, which may hold any path, go to a console as UTF-16
// and everywhere else as UTF-8.
#include <windows.h>

#include <string>

#include "win32/win_owners.h"

class RunnerOutput {
public:
    explicit RunnerOutput(UniqueFile resultsFile);

    void Line(const std::wstring& text = L"");
    void PassOn(const char* bytes, size_t count);

private:
    void Write(HANDLE target, const char* bytes, size_t count);

    HANDLE m_stdout;
    bool m_console;
    UniqueFile m_results;
    bool m_midLine = false;  // the output passed on did not end its last line
};
