#pragma once
#include "host_options.h"

// Runs the request mode: loads the module, registers the callback, sends the
// request and shows what comes back; the result is the process exit code.
int RunRequests(const HostOptions& options);
