#pragma once
#include "host_options.h"

// Runs the --explain mode; the result is the process exit code.
int RunExplain(const HostOptions& options);
