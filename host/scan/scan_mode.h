#pragma once
#include "host_options.h"

// Runs the --scan mode; the result is the process exit code.
int RunScan(const HostOptions& options);
