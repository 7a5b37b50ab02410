#pragma once
// What a run came to, as its footer and the closing list show it.
#include <string>
#include <vector>

enum class Verdict { kPassed, kFailed, kSkipped };

struct RunOutcome {
    Verdict verdict;
    std::wstring why;                   // "exit code 1"; for a pass, what it did not prove ("3 of 40 skipped")
    std::vector<std::wstring> details;  // lines below: the tests that failed, each reason for skipping
};

// "passed", "passed, 3 of 40 skipped", "FAILED: exit code 1", "skipped: no test matched".
std::wstring Headline(const RunOutcome& outcome);
