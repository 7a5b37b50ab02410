#pragma once
// The lines that open the output: where the bundle runs from, on which
// Windows, how the runner runs there, and what may slow or block the tests.
#include <string>
#include <vector>

std::vector<std::wstring> SystemReport(const std::wstring& bundleFolder, bool elevated);
