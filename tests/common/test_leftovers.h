#pragma once
// What a killed test run leaves on the PC, found by the marks the tests put on
// everything they make outside their own process, and undone.
#include <string>
#include <vector>

// Puts back what an earlier, killed run changed and removes what it made: the
// debug switch it turned on (with the log it wrote), the keys below
// SOFTWARE\WareseekTests, the temporary folders of the tests, the robustness
// harness's folder and the test authority in the machine's Root store. Touches
// nothing that is not marked as the tests' own. Returns one line per thing
// undone; empty when the PC is clean. Call it only while no test runs.
std::vector<std::wstring> RemoveLeftoversOfEarlierRuns();
