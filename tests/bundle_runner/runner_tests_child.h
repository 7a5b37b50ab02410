#pragma once
// The runner's tests run their own program as the child: given one of these
// as its first argument, it plays that role instead of running the tests.
#include <string>

// Writes ChildOutputBlock() to standard output and a line to standard
// error, then exits with kChildExitCode.
constexpr wchar_t kChildPrints[] = L"--child-prints";
constexpr unsigned kChildExitCode = 7;
// Says, as GoogleTest would, that it runs test Child.Crashes, then writes
// through a null pointer.
constexpr wchar_t kChildCrashes[] = L"--child-crashes";
// Starts the program named next, prints "started <process id>", then waits.
constexpr wchar_t kChildStarts[] = L"--child-starts";
// Prints its working folder, then each argument, one a line, in UTF-8.
constexpr wchar_t kChildTellsWhere[] = L"--child-tells-where";

// More than a pipe's buffer holds, as the runner reads it (CR LF line ends).
std::string ChildOutputBlock();
