#include "summary.h"

int WriteSummary(const std::vector<RunRecord>& records, const std::wstring& resultsPath, RunnerOutput& output) {
    int counts[3] = {};  // by Verdict
    output.Line();
    output.Line(L"Runs that failed or skipped:");
    for (const RunRecord& record : records) {
        ++counts[static_cast<int>(record.outcome.verdict)];
        if (record.outcome.verdict != Verdict::kPassed) WriteOutcome(L"  " + record.name + L" ", record.outcome, output);
    }
    const int passed = counts[static_cast<int>(Verdict::kPassed)];
    const int failed = counts[static_cast<int>(Verdict::kFailed)];
    const int skipped = counts[static_cast<int>(Verdict::kSkipped)];
    if (failed + skipped == 0) output.Line(L"  none");
    output.Line();
    output.Line(L"Results: " + resultsPath);
    output.Line(std::to_wstring(passed) + L" passed, " + std::to_wstring(failed) + L" failed, " +
                std::to_wstring(skipped) + L" skipped");
    return failed > 0 ? 1 : 0;
}
