#pragma once
// The --check report as terminal text: the file, one line per finding
// (where, then what), and a closing count.
#include <string>

#include "check/findings.h"

std::wstring FormatCheckReport(const std::wstring& path, size_t productCount, const Findings& findings);
