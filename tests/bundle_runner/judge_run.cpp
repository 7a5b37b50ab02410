#include "judge_run.h"

#include "error_text.h"
#include "gtest_outcome.h"
#include "text/hex_text.h"
#include "text/utf8_text.h"

namespace {

// A process ended by an exception it did not handle exits with the
// exception's code, an NTSTATUS of warning or error severity: no program here
// returns such a code itself.
bool IsExceptionCode(DWORD exitCode) { return (exitCode & 0x80000000u) != 0; }

RunOutcome Failed(std::wstring why) { return {Verdict::kFailed, std::move(why), {}}; }

// The test a GoogleTest program was in when it crashed or was ended.
RunOutcome FailedIn(const BundleRun& run, const ChildResult& result, std::wstring why) {
    RunOutcome failed = Failed(std::move(why));
    if (run.judgement != RunJudgement::kGoogleTest) return failed;
    const std::string test = TallyGoogleTestOutput(result.output).unfinishedTest;
    if (!test.empty()) failed.details.push_back(L"in test " + FromUtf8(test));
    return failed;
}

}  // namespace

RunOutcome JudgeRun(const BundleRun& run, const ChildResult& result) {
    switch (result.ending) {
        case ChildEnding::kNotStarted:
            return Failed(L"could not start: " + ErrorText(result.startError));
        case ChildEnding::kTimeLimit:
            return FailedIn(run, result, L"ended after " + std::to_wstring(run.timeLimitSeconds) + L" s, its time limit");
        case ChildEnding::kExited:
            break;
    }
    if (IsExceptionCode(result.exitCode)) return FailedIn(run, result, L"crashed: exception 0x" + HexNumber(result.exitCode));
    if (run.judgement == RunJudgement::kGoogleTest) return GoogleTestOutcome(result.exitCode, result.output);
    if (result.exitCode == run.expectedExitCode) return {Verdict::kPassed, L"", {}};
    return Failed(L"exit code " + std::to_wstring(result.exitCode) + L", expected " +
                  std::to_wstring(run.expectedExitCode));
}
