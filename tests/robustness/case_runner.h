#pragma once
// Runs one case through the module's whole object life:
// PIQueryInterface -> RegisterCallback -> HandleRequest (one or two) -> Release.
#include <string>
#include <vector>

#include "robust_case.h"
#include "robust_stage.h"

// The broken rules, one line each.
std::vector<std::string> RunCase(const RobustStage& stage, const RobustCase& robustCase);
