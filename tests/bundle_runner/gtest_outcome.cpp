#include "gtest_outcome.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "text/utf8_text.h"

namespace {

// GoogleTest's marks at the start of a line, each followed by the test's name.
constexpr std::string_view kRun = "[ RUN      ] ";
constexpr std::string_view kOk = "[       OK ] ";
constexpr std::string_view kFailed = "[  FAILED  ] ";
constexpr std::string_view kSkipped = "[  SKIPPED ] ";
// Ends "<file>:<line>: Skipped" (MinGW, GCC) and "<file>(<line>): Skipped"
// (Visual C++), the line before a skip's message.
constexpr std::string_view kSkipMessageFollows = ": Skipped";

bool StartsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

std::string_view Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

void CountReason(std::vector<SkipReason>& reasons, const std::string& text) {
    for (SkipReason& reason : reasons) {
        if (reason.text == text) {
            ++reason.tests;
            return;
        }
    }
    reasons.push_back({text, 1});
}

// The test whose lines are being read.
struct TestUnderWay {
    std::string name;
    bool skipping = false;  // its skip message is being read
    std::string message;
};

// Reads one line of the test under way; false once the line ends it.
bool ReadTestLine(std::string_view line, TestUnderWay& test, GoogleTestTally& tally) {
    if (StartsWith(line, kOk)) return false;
    if (StartsWith(line, kFailed)) {
        tally.failedTests.push_back(test.name);
        return false;
    }
    if (StartsWith(line, kSkipped)) {
        ++tally.skipped;
        CountReason(tally.skipReasons, test.message.empty() ? "no reason given" : test.message);
        return false;
    }
    if (EndsWith(line, kSkipMessageFollows)) {
        test.skipping = true;
        test.message.clear();
    } else if (test.skipping && !line.empty()) {
        if (!test.message.empty()) test.message += ' ';
        test.message += line;
    }
    return true;
}

std::wstring TestCount(int tests) { return std::to_wstring(tests) + (tests == 1 ? L" test" : L" tests"); }

}  // namespace

GoogleTestTally TallyGoogleTestOutput(const std::string& output) {
    GoogleTestTally tally;
    std::optional<TestUnderWay> test;
    for (size_t start = 0; start < output.size();) {
        const size_t end = std::min(output.find('\n', start), output.size());
        const std::string_view line = Trimmed(std::string_view(output).substr(start, end - start));
        start = end + 1;
        if (StartsWith(line, kRun)) {
            test.emplace();
            test->name = line.substr(kRun.size());
            ++tally.run;
        } else if (test && !ReadTestLine(line, *test, tally)) {
            test.reset();
        }
    }
    if (test) tally.unfinishedTest = test->name;
    return tally;
}

RunOutcome GoogleTestOutcome(DWORD exitCode, const std::string& output) {
    const GoogleTestTally tally = TallyGoogleTestOutput(output);
    std::vector<std::wstring> skips;
    for (const SkipReason& reason : tally.skipReasons) {
        skips.push_back(L"skipped: " + FromUtf8(reason.text) + L" (" + TestCount(reason.tests) + L")");
    }
    if (exitCode != 0) {
        RunOutcome failed{Verdict::kFailed, L"exit code " + std::to_wstring(exitCode), {}};
        for (const std::string& name : tally.failedTests) failed.details.push_back(L"failed: " + FromUtf8(name));
        failed.details.insert(failed.details.end(), skips.begin(), skips.end());
        return failed;
    }
    // A run that matched no test, or ended inside one, proved nothing.
    if (tally.run == 0) return {Verdict::kFailed, L"no test matched its filter", {}};
    if (!tally.unfinishedTest.empty()) {
        return {Verdict::kFailed, L"ended during " + FromUtf8(tally.unfinishedTest), skips};
    }
    if (tally.skipped == tally.run) {
        std::wstring reasons;
        for (const SkipReason& reason : tally.skipReasons) reasons += (reasons.empty() ? L"" : L"; ") + FromUtf8(reason.text);
        return {Verdict::kSkipped, reasons, {}};
    }
    if (tally.skipped == 0) return {Verdict::kPassed, L"", {}};
    return {Verdict::kPassed, std::to_wstring(tally.skipped) + L" of " + std::to_wstring(tally.run) + L" skipped", skips};
}
