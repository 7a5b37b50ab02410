#pragma once
// The peak working set and the handle count of the running process (heap use
// is in heap_use.h).
#include <cstddef>

// The most memory the process has had resident so far.
std::size_t PeakWorkingSet();

// Handles the process has open. Under Wine GetProcessHandleCount reads 0, so
// the system's handle list is counted instead.
std::size_t HandlesInUse();
