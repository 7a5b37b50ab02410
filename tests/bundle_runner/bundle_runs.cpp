#include "bundle_runs.h"

#include <windows.h>

#include "child_run.h"
#include "command_line.h"
#include "judge_run.h"

namespace {

std::wstring FullPath(const std::wstring& path) {
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), size, &full[0], nullptr);
    full.resize(length < size ? length : 0);
    return full.empty() ? path : full;
}

std::wstring Header(const BundleRun& run) {
    std::wstring header = L"===== " + run.name + L": " + CommandLine(run.program, run.arguments);
    if (run.judgement == RunJudgement::kExitCode) {
        header += L" (expects exit code " + std::to_wstring(run.expectedExitCode) + L")";
    }
    return header;
}

RunOutcome RunOne(const BundleRun& run, const std::wstring& testsBin, RunnerOutput& output) {
    output.Line(Header(run));
    const ChildRequest request{FullPath(testsBin + run.program), run.arguments, testsBin, run.timeLimitSeconds};
    const ChildListener listener{[&](const char* bytes, size_t count) { output.PassOn(bytes, count); },
                                 [&](const std::wstring& note) { output.Line(L"(" + note + L")"); }};
    const ChildResult result = RunChild(request, listener);
    const RunOutcome outcome = JudgeRun(run, result);
    // How long it took, for setting time limits from what PCs report.
    const std::wstring took =
        result.ending == ChildEnding::kExited ? L" (" + std::to_wstring(result.seconds) + L" s)" : L"";
    WriteOutcome(L"----- " + run.name + L" ", outcome, output, took);
    return outcome;
}

}  // namespace

void WriteOutcome(const std::wstring& lead, const RunOutcome& outcome, RunnerOutput& output, const std::wstring& tail) {
    output.Line(lead + Headline(outcome) + tail);
    for (const std::wstring& detail : outcome.details) output.Line(L"      " + detail);
}

std::vector<RunRecord> RunAll(const std::vector<BundleRun>& runs, const std::wstring& testsBin, RunnerOutput& output) {
    std::vector<RunRecord> records;
    for (const BundleRun& run : runs) records.push_back({run.name, RunOne(run, testsBin, output)});
    return records;
}
