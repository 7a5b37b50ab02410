#pragma once
// A run's verdict: from how its program ended (not started, past its time
// limit, crashed), else from GoogleTest's report or from its exit code.
#include "child_run.h"
#include "run_outcome.h"
#include "run_table.h"

RunOutcome JudgeRun(const BundleRun& run, const ChildResult& result);
