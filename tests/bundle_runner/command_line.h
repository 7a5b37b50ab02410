#pragma once
// Command lines that give every argument back unchanged to the program
// started: quoted and escaped by the rules CommandLineToArgvW and the C
// runtimes parse them with.
#include <string>
#include <vector>

// argument as it must stand on a command line: as it is when it has no blank
// or quote, else in quotes with its quotes, and the backslashes before them,
// escaped.
std::wstring QuotedArgument(const std::wstring& argument);

// program, then each argument, quoted as needed and separated by spaces.
std::wstring CommandLine(const std::wstring& program, const std::vector<std::wstring>& arguments);
