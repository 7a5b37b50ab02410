// Robustness harness: loads the real wareseek.dll and runs generated cases
// against it, checking the host contract after each one.
//
//   wareseek_robustness --seed S --first N --count C [--progress FILE] [--findings DIR] [--save DIR]
//                       [--limit-ms MS]
//   wareseek_robustness --replay DIR [--limit-ms MS]
//
// Case N of seed S is always the same case. The progress file names the case
// under way ("case N", "hang N") or "end"; scripts/fuzz restarts after a crash
// or hang from there. Cases that break the contract are saved under
// FINDINGS\S-N and named on stdout. A case running past the limit (10 s by
// default) is a hang. Exit code: 0 clean, 1 violations, 2 usage.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "case_generator.h"
#include "case_runner.h"
#include "contract_check.h"
#include "test_files.h"
#include "watchdog.h"

namespace {

struct Options {
    uint64_t seed = 1;
    uint32_t first = 0;
    uint32_t count = 100;
    DWORD limitMs = 10000;
    std::wstring progress, findings, save, replay;
};

bool ReadOptions(int argc, wchar_t** argv, Options& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring name = argv[i], value = argv[i + 1];
        if (name == L"--seed") options.seed = wcstoull(value.c_str(), nullptr, 10);
        else if (name == L"--first") options.first = static_cast<uint32_t>(wcstoul(value.c_str(), nullptr, 10));
        else if (name == L"--count") options.count = static_cast<uint32_t>(wcstoul(value.c_str(), nullptr, 10));
        else if (name == L"--progress") options.progress = value;
        else if (name == L"--findings") options.findings = value;
        else if (name == L"--save") options.save = value;
        else if (name == L"--replay") options.replay = value;
        else if (name == L"--limit-ms") options.limitMs = wcstoul(value.c_str(), nullptr, 10);
        else return false;
    }
    return argc % 2 == 1;
}

void Report(const Options& options, uint32_t index, const RobustCase& robustCase,
            const std::vector<std::string>& problems) {
    std::wstring where;
    if (!options.findings.empty()) {
        where = options.findings + L"\\" + std::to_wstring(options.seed) + L"-" + std::to_wstring(index);
        SaveCase(robustCase, where);
    }
    for (const std::string& problem : problems)
        printf("violation: seed %llu case %u: %s (%ls)\n", static_cast<unsigned long long>(options.seed), index,
               problem.c_str(), where.c_str());
    fflush(stdout);
}

// WARESEEK_ROBUSTNESS_FAULT=crash:N or hang:N makes case N fail on purpose,
// so the driver's restart, confirmation and saving can be tested.
void InjectedFault(uint32_t index) {
    wchar_t fault[64] = {};
    if (!GetEnvironmentVariableW(L"WARESEEK_ROBUSTNESS_FAULT", fault, 64)) return;
    const std::wstring text = fault;
    const size_t colon = text.find(L':');
    if (colon == std::wstring::npos || wcstoul(text.c_str() + colon + 1, nullptr, 10) != index) return;
    if (text.compare(0, colon, L"hang") == 0) Sleep(INFINITE);
    if (text.compare(0, colon, L"crash") == 0) *static_cast<volatile int*>(nullptr) = 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Options options;
    if (!ReadOptions(argc, argv, options)) {
        fprintf(stderr, "usage: wareseek_robustness --seed S --first N --count C [--progress F] [--findings D] "
                        "[--save D] [--limit-ms MS] | --replay D\n");
        return 2;
    }
    ExitOnUnhandledException();
    if (DebugLogSwitchedOn()) {
        fprintf(stderr, "robustness: the module's debug log is switched on; switch it off first\n");
        return 2;
    }
    RobustStage stage;
    if (!stage.Loaded()) {
        fprintf(stderr, "robustness: cannot load the module copy\n");
        return 2;
    }
    Watchdog watchdog(options.limitMs, options.progress);
    uint32_t violating = 0;
    DWORD slowestMs = 0;
    uint32_t slowest = options.first;
    const uint32_t count = options.replay.empty() ? options.count : 1;
    for (uint32_t index = options.first; index < options.first + count; ++index) {
        RobustCase robustCase;
        if (!options.replay.empty() && !LoadCase(options.replay, robustCase)) return 2;
        if (options.replay.empty()) robustCase = GenerateCase(CaseSeed(options.seed, index), RobustStage::ModuleFolder());
        if (!options.save.empty()) SaveCase(robustCase, options.save);
        WriteProgress(options.progress, "case " + std::to_string(index));
        watchdog.Arm(index);
        InjectedFault(index);
        const DWORD start = GetTickCount();
        const std::vector<std::string> problems = RunCase(stage, robustCase);
        watchdog.Disarm();
        if (GetTickCount() - start > slowestMs) {
            slowestMs = GetTickCount() - start;
            slowest = index;
        }
        if (!problems.empty()) {
            ++violating;
            Report(options, index, robustCase, problems);
        }
    }
    WriteProgress(options.progress, "end " + std::to_string(violating));
    printf("robustness: %u cases run, %u with contract violations; %u responses listing %u products, %u installed; "
           "slowest case %u: %lu ms\n",
           count, violating, Totals().responses, Totals().items, Totals().installed, slowest, slowestMs);
    return violating ? 1 : 0;
}
