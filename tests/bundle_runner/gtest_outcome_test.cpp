#include "gtest_outcome.h"

#include <gtest/gtest.h>

namespace {

struct OutputCase {
    const char* what;
    DWORD exitCode;
    const char* output;
    const wchar_t* headline;
    std::vector<std::wstring> details;
};

const char kPassed[] =
    "[==========] Running 2 tests from 1 test suite.\n"
    "[ RUN      ] A.One\n"
    "[       OK ] A.One (0 ms)\n"
    "[ RUN      ] A.Two\n"
    "[       OK ] A.Two (1 ms)\n"
    "[==========] 2 tests from 1 test suite ran. (1 ms total)\n"
    "[  PASSED  ] 2 tests.\n";

// Both forms of the skip's location, a message of two lines, Windows' line
// ends, and the closing list that names the skipped tests again.
const char kSomeSkipped[] =
    "[ RUN      ] A.One\r\n"
    "[       OK ] A.One (0 ms)\r\n"
    "[ RUN      ] A.Two\r\n"
    "C:/src/tests/a_test.cpp:12: Skipped\r\n"
    "needs administrator rights\r\n"
    "\r\n"
    "[  SKIPPED ] A.Two (0 ms)\r\n"
    "[ RUN      ] A.Three\r\n"
    "C:\\src\\tests\\a_test.cpp(20): Skipped\r\n"
    "32-bit Windows has one system folder:\r\n"
    "nothing to look past\r\n"
    "[  SKIPPED ] A.Three (2 ms)\r\n"
    "[ RUN      ] A.Four\r\n"
    "a_test.cpp:30: Skipped\r\n"
    "needs administrator rights\r\n"
    "[  SKIPPED ] A.Four (0 ms)\r\n"
    "[  PASSED  ] 1 test.\r\n"
    "[  SKIPPED ] 3 tests, listed below:\r\n"
    "[  SKIPPED ] A.Two\r\n"
    "[  SKIPPED ] A.Three\r\n"
    "[  SKIPPED ] A.Four\r\n";

const char kAllSkipped[] =
    "[ RUN      ] A.One\n"
    "a_test.cpp:12: Skipped\n"
    "needs administrator rights\n"
    "[  SKIPPED ] A.One (0 ms)\n"
    "[ RUN      ] A.Two\n"
    "a_test.cpp:14: Skipped\n"
    "\n"
    "[  SKIPPED ] A.Two (0 ms)\n"
    "[  PASSED  ] 0 tests.\n"
    "[  SKIPPED ] 2 tests, listed below:\n"
    "[  SKIPPED ] A.One\n"
    "[  SKIPPED ] A.Two\n";

const char kNoneRan[] =
    "Note: Google Test filter = NoSuch.*\n"
    "[==========] Running 0 tests from 0 test suites.\n"
    "[==========] 0 tests from 0 test suites ran. (0 ms total)\n"
    "[  PASSED  ] 0 tests.\n";

const char kFailed[] =
    "[ RUN      ] A.One\n"
    "a_test.cpp:8: Failure\n"
    "Expected equality of these values:\n"
    "[  FAILED  ] A.One (3 ms)\n"
    "[ RUN      ] A.Two\n"
    "a_test.cpp:12: Skipped\n"
    "not here\n"
    "[  SKIPPED ] A.Two (0 ms)\n"
    "[  FAILED  ] 1 test, listed below:\n"
    "[  FAILED  ] A.One\n";

const OutputCase kCases[] = {
    {"every test passed", 0, kPassed, L"passed", {}},
    {"some skipped", 0, kSomeSkipped, L"passed, 3 of 4 skipped",
     {L"skipped: needs administrator rights (2 tests)",
      L"skipped: 32-bit Windows has one system folder: nothing to look past (1 test)"}},
    {"all skipped", 0, kAllSkipped, L"skipped: needs administrator rights; no reason given", {}},
    {"none ran", 0, kNoneRan, L"FAILED: no test matched its filter", {}},
    {"ended inside a test", 0, "[ RUN      ] A.One\n", L"FAILED: ended during A.One", {}},
    {"failed", 1, kFailed, L"FAILED: exit code 1", {L"failed: A.One", L"skipped: not here (1 test)"}},
    {"failed without output", 3, "", L"FAILED: exit code 3", {}},
};

}  // namespace

TEST(GoogleTestOutcome, ReadsTheVerdictAndWhatWasNotProved) {
    for (const OutputCase& test : kCases) {
        SCOPED_TRACE(test.what);
        const RunOutcome outcome = GoogleTestOutcome(test.exitCode, test.output);
        EXPECT_EQ(test.headline, Headline(outcome));
        EXPECT_EQ(test.details, outcome.details);
    }
}
