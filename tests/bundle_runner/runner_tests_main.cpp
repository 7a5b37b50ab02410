// The runner's tests, and the child they run.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "runner_tests_child.h"
#include "text/utf8_text.h"
#include "win32/win_owners.h"

std::string ChildOutputBlock() {
    std::string block;
    for (int line = 0; line < 5000; ++line) block += "line " + std::to_string(line) + " of the child's output\r\n";
    return block;
}

namespace {

int Prints() {
    std::string block = ChildOutputBlock();
    for (size_t at; (at = block.find("\r\n")) != std::string::npos;) block.erase(at, 1);  // text mode adds the CRs
    fputs(block.c_str(), stdout);
    fputs("a line to standard error\n", stderr);
    return kChildExitCode;
}

int Crashes() {
    fputs("[ RUN      ] Child.Crashes\n", stdout);
    fflush(stdout);
    *static_cast<volatile int*>(nullptr) = 1;
    return 0;
}

int Starts(const wchar_t* program) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::wstring commandLine = L"\"" + std::wstring(program) + L"\"";
    if (!CreateProcessW(program, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) return 1;
    const UniqueHandle process(info.hProcess), thread(info.hThread);
    printf("started %lu\n", info.dwProcessId);
    fflush(stdout);
    Sleep(INFINITE);
    return 0;
}

int TellsWhere(int argc, wchar_t** argv) {
    wchar_t folder[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, folder);
    std::string lines = ToUtf8(folder) + "\n";
    for (int i = 2; i < argc; ++i) lines += ToUtf8(argv[i]) + "\n";
    fputs(lines.c_str(), stdout);
    return 0;
}

// The child's role, when the command line asks for one; else -1.
int PlayChild() {
    int argc = 0;
    const UniqueLocalMemory held(CommandLineToArgvW(GetCommandLineW(), &argc));
    wchar_t** argv = static_cast<wchar_t**>(held.Get());
    if (!argv || argc < 2) return -1;
    const std::wstring role = argv[1];
    if (role == kChildPrints) return Prints();
    if (role == kChildCrashes) return Crashes();
    if (role == kChildStarts && argc > 2) return Starts(argv[2]);
    if (role == kChildTellsWhere) return TellsWhere(argc, argv);
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    // As the runner does: a crashing child ends without a dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    const int child = PlayChild();
    if (child >= 0) return child;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
