#pragma once
// The file version a module carries in its version resource, for the host's
// first line, so a log of a run names the build it ran.
#include <string>

// "major.minor.build.revision" from the resource's fixed part, or "" when the
// file has no version resource.
std::wstring ModuleFileVersion(const std::wstring& path);

// " (version 1.0.0.0)" or " (no version resource)", to follow the path.
std::wstring ModuleVersionNote(const std::wstring& path);
