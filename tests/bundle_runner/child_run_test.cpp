#include "child_run.h"

#include <gtest/gtest.h>

#include "judge_run.h"
#include "runner_tests_child.h"
#include "test_files.h"
#include "text/utf8_text.h"
#include "win32/module_file.h"
#include "win32/win_owners.h"

namespace {

struct Captured {
    ChildResult result;
    std::string passedOn;
};

Captured RunThisProgram(std::vector<std::wstring> arguments, DWORD limitSeconds,
                        const std::wstring& folder = ProgramFolder()) {
    Captured captured;
    const ChildListener listener{[&](const char* bytes, size_t count) { captured.passedOn.append(bytes, count); }, {}};
    captured.result = RunChild({ModuleFileName(nullptr), std::move(arguments), folder, limitSeconds}, listener);
    return captured;
}

BundleRun Judged(RunJudgement judgement, DWORD limitSeconds = 60) {
    return {L"child", L"", {}, judgement, 0, limitSeconds};
}

struct EndingCase {
    const wchar_t* role;
    RunJudgement judgement;
    const wchar_t* headline;
    std::vector<std::wstring> details;
};

}  // namespace

TEST(ChildRun, TheVerdictFollowsHowTheProgramEnded) {
    const EndingCase cases[] = {
        {kChildPrints, RunJudgement::kExitCode, L"FAILED: exit code 7, expected 0", {}},
        {kChildCrashes, RunJudgement::kGoogleTest, L"FAILED: crashed: exception 0xC0000005", {L"in test Child.Crashes"}},
    };
    for (const EndingCase& test : cases) {
        SCOPED_TRACE(test.role);
        const Captured run = RunThisProgram({test.role}, 60);
        ASSERT_EQ(ChildEnding::kExited, run.result.ending);
        const RunOutcome outcome = JudgeRun(Judged(test.judgement), run.result);
        EXPECT_EQ(test.headline, Headline(outcome));
        EXPECT_EQ(test.details, outcome.details);
    }
}

TEST(ChildRun, PassesOnAndKeepsBothOutputsWhole) {
    const Captured run = RunThisProgram({kChildPrints}, 60);
    EXPECT_EQ(run.passedOn, run.result.output);
    EXPECT_NE(std::string::npos, run.result.output.find(ChildOutputBlock()));
    EXPECT_NE(std::string::npos, run.result.output.find("a line to standard error"));
}

TEST(ChildRun, RunsInItsFolderWithItsArgumentsWhateverTheirCharacters) {
    const TempFolder temp;
    const std::wstring folder = temp.Sub(L"R\u00e9sultats & 100% ^!");
    CreateFolders(folder);
    const std::vector<std::wstring> arguments = {L"two words", L"say \"hi\"", L"ends in \\", L"& % ^ !"};
    std::vector<std::wstring> commandLine = {kChildTellsWhere};
    commandLine.insert(commandLine.end(), arguments.begin(), arguments.end());
    const Captured run = RunThisProgram(commandLine, 60, folder);
    std::string expected = ToUtf8(folder) + "\r\n";
    for (const std::wstring& argument : arguments) expected += ToUtf8(argument) + "\r\n";
    EXPECT_EQ(expected, run.result.output);
}

// The program starts the sleeper and waits: at the time limit both end.
TEST(ChildRun, TheTimeLimitEndsTheProgramAndWhatItStarted) {
    const Captured run = RunThisProgram({kChildStarts, ProgramFolder() + L"\\wareseek_sleeper.exe"}, 5);
    EXPECT_EQ(ChildEnding::kTimeLimit, run.result.ending);
    EXPECT_EQ(L"FAILED: ended after 5 s, its time limit", Headline(JudgeRun(Judged(RunJudgement::kExitCode, 5), run.result)));
    unsigned long sleeperId = 0;
    ASSERT_EQ(1, sscanf(run.result.output.c_str(), "started %lu", &sleeperId)) << run.result.output;
    const UniqueHandle sleeper(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, sleeperId));
    const bool running = sleeper && WaitForSingleObject(sleeper.Get(), 0) == WAIT_TIMEOUT;
    EXPECT_FALSE(running) << "the sleeper outlived the time limit";
    if (running) TerminateProcess(sleeper.Get(), 1);
}
