#pragma once
// Starting a test program in a job object of its own, which ends the program
// and every process it started together: at the time limit, and when the
// runner closes the job (or itself ends) after the program has ended.
#include <windows.h>

#include <string>

#include "win32/win_owners.h"

struct ChildStart {
    std::wstring program;  // full path
    std::wstring commandLine;
    std::wstring workingFolder;
    HANDLE input;   // inheritable
    HANDLE output;  // inheritable; standard output and error both
};

struct StartedChild {
    UniqueHandle process;  // none when it did not start
    UniqueHandle job;      // none when the program could not be put in one
    DWORD startError = 0;  // why it did not start
    std::wstring note;     // what the output should say about how it runs
};

// Starts the program suspended, puts it in its job, then lets it run.
StartedChild StartChild(const ChildStart& start);

// Ends the program and, when it is in its job, every process it started.
void EndChild(const StartedChild& child);
