#pragma once
// The registry/file methods that could find an installed program, built from
// what its installed-programs entry offers.
#include <vector>

#include "catalogue/product_record.h"
#include "scan/app_paths.h"
#include "scan/installed_programs.h"

// In order: the entry's InstallLocation with the main executable, the main
// executable's App Paths entry, the entry's DisplayIcon. Each reads the view
// the entry was found in. None is checked here.
std::vector<DetectMethod> CandidateMethods(const InstalledProgram& program, AppPathsIndex& appPaths);
