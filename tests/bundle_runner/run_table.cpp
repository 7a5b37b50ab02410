#include "run_table.h"

namespace {

// Under Wine the long runs take about 140 s (e2e.long_lived) and 75 s
// (downloader.deadline), robustness 60 s, every other run under 20 s. A PC
// whose antivirus scans each program start and file write can be several
// times slower; the limits only have to end a run that hangs.
constexpr DWORD kLongRunLimit = 15 * 60;
constexpr DWORD kRunLimit = 10 * 60;
constexpr DWORD kHostRunLimit = 2 * 60;

const wchar_t kHost[] = L"..\\stage\\wareseek-host.exe";
const wchar_t kCatalogues[] = L"..\\stage\\ProductCfg\\";

BundleRun GoogleTestRun(const wchar_t* name, const wchar_t* program, std::vector<std::wstring> arguments = {},
                        DWORD limit = kRunLimit) {
    return {name, program, std::move(arguments), RunJudgement::kGoogleTest, 0, limit};
}

BundleRun ExitCodeRun(const wchar_t* name, const wchar_t* program, std::vector<std::wstring> arguments = {}) {
    return {name, program, std::move(arguments), RunJudgement::kExitCode, 0, kRunLimit};
}

BundleRun HostRun(const wchar_t* name, DWORD expectedExitCode, std::vector<std::wstring> arguments = {}) {
    return {name, kHost, std::move(arguments), RunJudgement::kExitCode, expectedExitCode, kHostRunLimit};
}

}  // namespace

std::vector<BundleRun> BundleRuns(bool quick) {
    std::vector<BundleRun> runs;
    // The runner's own time limit, crash and output handling, on this Windows.
    runs.push_back(GoogleTestRun(L"bundle_runner.unit", L"wareseek_test_runner_tests.exe"));
    runs.push_back(GoogleTestRun(L"unit", L"wareseek_unit_tests.exe"));
    runs.push_back(GoogleTestRun(L"e2e", L"wareseek_e2e_tests.exe", {L"--gtest_filter=-LongLivedHost.*"}));
    if (!quick) {
        runs.push_back(GoogleTestRun(L"e2e.long_lived", L"wareseek_e2e_tests.exe", {L"--gtest_filter=LongLivedHost.*"},
                                     kLongRunLimit));
    }
    runs.push_back(GoogleTestRun(L"log", L"wareseek_log_tests.exe", {L"--gtest_filter=-*WithoutTheMutex*"}));
    runs.push_back(GoogleTestRun(L"log.nomutex", L"wareseek_log_tests.exe", {L"--gtest_filter=*WithoutTheMutex*"}));
    runs.push_back(GoogleTestRun(L"downloader", L"zqdownload_tests.exe", {L"--gtest_filter=-DownloadPackageDeadline.*"}));
    if (!quick) {
        runs.push_back(GoogleTestRun(L"downloader.deadline", L"zqdownload_tests.exe",
                                     {L"--gtest_filter=DownloadPackageDeadline.*"}, kLongRunLimit));
    }
    runs.push_back(GoogleTestRun(L"downloader.tls", L"zqdownload_tls_tests.exe"));
    runs.push_back(GoogleTestRun(L"host.unit", L"host_unit_tests.exe"));
    runs.push_back(ExitCodeRun(L"c_host", L"c_host_test.exe"));
    runs.push_back(ExitCodeRun(L"robustness", L"wareseek_robustness.exe",
                               {L"--seed", L"1", L"--first", L"0", L"--count", L"3000"}));

    runs.push_back(HostRun(L"host.help", 0, {L"--help"}));
    runs.push_back(HostRun(L"host.default_run", 0));
    runs.push_back(HostRun(L"host.missing_module", 2, {L"--module", L"no-such-folder\\wareseek.dll"}));
    runs.push_back(HostRun(L"host.no_export", 3, {L"--module", L"kernel32.dll"}));
    runs.push_back(HostRun(L"host.not_xml", 5, {L"--request", L"not xml"}));
    runs.push_back(HostRun(L"host.check_sample_x86", 0, {L"--check", kCatalogues + std::wstring(L"SMBPlugins_x86.xml")}));
    runs.push_back(HostRun(L"host.check_sample_x64", 0, {L"--check", kCatalogues + std::wstring(L"SMBPlugins_x64.xml")}));
    runs.push_back(HostRun(L"host.check_missing", 2, {L"--check", L"no-such-catalogue.xml"}));
    return runs;
}
