#pragma once
#include "host_options.h"

// Runs the --verify mode: checks a catalogue against its detached signature
// with the module's own code; the result is the process exit code.
int RunVerify(const HostOptions& options);
