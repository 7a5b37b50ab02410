#include "command_line.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "win32/win_owners.h"

namespace {

std::vector<std::wstring> ParsedBack(const std::wstring& commandLine) {
    int count = 0;
    const UniqueLocalMemory held(CommandLineToArgvW(commandLine.c_str(), &count));
    wchar_t** parsed = static_cast<wchar_t**>(held.Get());
    return parsed ? std::vector<std::wstring>(parsed, parsed + count) : std::vector<std::wstring>();
}

}  // namespace

TEST(CommandLine, GivesEveryArgumentBackUnchanged) {
    const std::wstring program = L"C:\\Tests & Results 100% ^!\\tests-bin\\x.exe";
    const std::vector<std::wstring> arguments = {
        L"plain", L"", L"two words", L"tab\there", L"say \"hi\"", L"\"", L"ends in \\", L"C:\\folder with space\\",
        L"a\\\\\"b", L"a\\\\b", L"& % ^ ! < | >", L"Zo\u00eb na\u00efve caf\u00e9", L"--gtest_filter=-LongLivedHost.*"};
    for (const std::wstring& argument : arguments) {
        SCOPED_TRACE(argument);
        const std::vector<std::wstring> expected = {program, argument, L"after"};
        EXPECT_EQ(expected, ParsedBack(CommandLine(program, {argument, L"after"})));
    }
}
