#pragma once
// The end of the output: each run that failed or skipped with its reason,
// where the results file is, and the count of runs by verdict as the last
// line.
#include <string>
#include <vector>

#include "bundle_runs.h"

// Returns the runner's exit code: 1 when a run failed, else 0.
int WriteSummary(const std::vector<RunRecord>& records, const std::wstring& resultsPath, RunnerOutput& output);
