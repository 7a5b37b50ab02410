#pragma once
// The runs of the test bundle, in order: the test programs with the
// GoogleTest filters of the project's CTest entries, and the host's own runs
// with the exit codes they must end with.
#include <windows.h>

#include <string>
#include <vector>

// How a run's result is read: GoogleTest's report, or the exit code alone.
enum class RunJudgement { kGoogleTest, kExitCode };

struct BundleRun {
    std::wstring name;
    std::wstring program;  // relative to tests-bin, the folder every run works in
    std::vector<std::wstring> arguments;
    RunJudgement judgement;
    DWORD expectedExitCode;  // for kExitCode
    DWORD timeLimitSeconds;
};

// Every run; quick leaves out the two long ones (e2e.long_lived and
// downloader.deadline).
std::vector<BundleRun> BundleRuns(bool quick);
