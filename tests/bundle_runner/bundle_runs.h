#pragma once
// Runs the bundle's programs one after another, each between a header and a
// footer that gives its verdict.
#include <string>
#include <vector>

#include "run_outcome.h"
#include "run_table.h"
#include "runner_output.h"

struct RunRecord {
    std::wstring name;
    RunOutcome outcome;
};

// testsBin: the folder of the test programs, with its separator; every run
// works in it.
std::vector<RunRecord> RunAll(const std::vector<BundleRun>& runs, const std::wstring& testsBin, RunnerOutput& output);

// lead, the outcome's headline and tail on one line, then its details, each
// on a line of its own.
void WriteOutcome(const std::wstring& lead, const RunOutcome& outcome, RunnerOutput& output,
                  const std::wstring& tail = L"");
