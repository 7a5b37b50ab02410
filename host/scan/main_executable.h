#pragma once
// Which executable is a program's own, from what its entry offers.
#include <string>

#include "scan/app_paths.h"
#include "scan/installed_programs.h"

// The program's main executable as a path (full where the entry gives one),
// or empty when none can be told: the DisplayIcon's file when it is an .exe,
// else the first App Paths entry inside the install folder, else the only
// .exe directly in the install folder.
std::wstring MainExecutable(const InstalledProgram& program, AppPathsIndex& appPaths);
