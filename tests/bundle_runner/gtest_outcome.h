#pragma once
// A GoogleTest program's verdict, read from its exit code and its output.
#include <windows.h>

#include <string>
#include <vector>

#include "run_outcome.h"

struct SkipReason {
    std::string text;  // the skip message, its lines joined
    int tests;
};

// What the output says of the tests that ran.
struct GoogleTestTally {
    int run = 0;
    int skipped = 0;
    std::vector<SkipReason> skipReasons;  // distinct, in the order first seen
    std::vector<std::string> failedTests;
    std::string unfinishedTest;  // started but never ended: the program crashed or hung in it
};

GoogleTestTally TallyGoogleTestOutput(const std::string& output);

// Failed when the exit code is not 0; else skipped when no test ran or every
// test that ran skipped; else passed, with the skipped share and reasons.
RunOutcome GoogleTestOutcome(DWORD exitCode, const std::string& output);
