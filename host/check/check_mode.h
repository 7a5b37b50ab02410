#pragma once
#include "host_options.h"

// Runs the --check mode; the result is the process exit code.
int RunCheck(const HostOptions& options);
