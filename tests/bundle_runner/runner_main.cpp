// wareseek_test_runner.exe [/quick]: runs the bundle's test programs from the
// folder it is in (tests-bin), one after another, each under a time limit,
// and writes what they found to the console and to a results file in the
// bundle's folder. The last line counts the runs: "N passed, N failed,
// N skipped"; the exit code is 1 when a run failed.
#include <windows.h>

#include <cwchar>

#include "bundle_runs.h"
#include "results_file.h"
#include "run_table.h"
#include "runner_output.h"
#include "summary.h"
#include "system_report.h"
#include "test_leftovers.h"
#include "test_platform.h"
#include "text/path_parts.h"
#include "win32/module_file.h"
#include "win32/win_owners.h"

namespace {

bool ReadOptions(int argc, wchar_t** argv, bool& quick) {
    quick = false;
    for (int i = 1; i < argc; ++i) {
        if (_wcsicmp(argv[i], L"/quick") != 0) return false;
        quick = true;
    }
    return true;
}

void RemoveLeftovers(RunnerOutput& output) {
    const std::vector<std::wstring> undone = RemoveLeftoversOfEarlierRuns();
    if (undone.empty()) output.Line(L"Nothing left by earlier runs.");
    for (const std::wstring& line : undone) output.Line(L"Left by an earlier run: " + line);
    output.Line();
}

// Every test puts back what it changed: anything found here is a test's fault,
// named so, and undone.
void RemoveWhatThisRunLeft(RunnerOutput& output) {
    for (const std::wstring& line : RemoveLeftoversOfEarlierRuns()) {
        output.Line(L"Left by this run's tests: " + line);
    }
}

// Switches the console's QuickEdit off for the run: a selection made with the
// mouse would otherwise stop every write to the console, and with it the
// reading of the programs' output, while their clocks run on.
class QuickEditOff {
public:
    QuickEditOff() : m_input(GetStdHandle(STD_INPUT_HANDLE)) {
        m_changed = GetConsoleMode(m_input, &m_mode) &&
                    SetConsoleMode(m_input, (m_mode & ~ENABLE_QUICK_EDIT_MODE) | ENABLE_EXTENDED_FLAGS);
    }
    ~QuickEditOff() {
        if (m_changed) SetConsoleMode(m_input, m_mode);
    }
    QuickEditOff(const QuickEditOff&) = delete;
    QuickEditOff& operator=(const QuickEditOff&) = delete;

private:
    HANDLE m_input;
    DWORD m_mode = 0;
    bool m_changed = false;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Before anything else: the test programs inherit the error mode, so a
    // crash ends the program with its exception code as exit code instead of
    // holding the run in Windows Error Reporting's dialog. (Wine starts its
    // debugger whatever the error mode; the exit code is the same.)
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    bool quick = false;
    if (!ReadOptions(argc, argv, quick)) {
        fputws(L"usage: wareseek_test_runner [/quick]\n"
               L"  /quick  leaves out the two long runs (e2e.long_lived, downloader.deadline)\n",
               stderr);
        return 2;
    }
    // One run at a time: each first removes the tests' leftovers, which a run
    // still going would miss. Any account may create a Global\ mutex; one an
    // elevated run made is closed to a standard one, which counts as taken.
    const UniqueHandle oneRun(CreateMutexW(nullptr, FALSE, L"Global\\WareseekTestBundleRun"));
    if (!oneRun || GetLastError() == ERROR_ALREADY_EXISTS) {
        fputws(L"Another run of the Wareseek tests is under way on this PC: run them one at a time.\n", stderr);
        return 2;
    }
    const QuickEditOff quickEditOff;
    const std::wstring testsBin = FolderOf(ModuleFileName(nullptr));
    const std::wstring bundle = testsBin.empty() ? L"" : FolderOf(testsBin.substr(0, testsBin.size() - 1));
    const bool elevated = RunningElevated();
    ResultsFile results = CreateResultsFile(bundle, elevated);
    RunnerOutput output(std::move(results.file));
    for (const std::wstring& line : SystemReport(bundle, elevated)) output.Line(line);
    if (quick) output.Line(L"Quick run: e2e.long_lived and downloader.deadline are left out.");
    output.Line();
    RemoveLeftovers(output);
    const std::vector<RunRecord> records = RunAll(BundleRuns(quick), testsBin, output);
    RemoveWhatThisRunLeft(output);
    output.Line(L"Not run here: the other host.* CTest entries (they compare output with patterns in CMake scripts).");
    return WriteSummary(records, results.path, output);
}
