#pragma once
// The peak working set, the handle count and the free thread-local storage
// slots of the running process (heap use is in heap_use.h).
#include <cstddef>

// The most memory the process has had resident so far.
std::size_t PeakWorkingSet();

// Handles the process has open. Under Wine GetProcessHandleCount reads 0, so
// the system's handle list is counted instead.
std::size_t HandlesInUse();

// Thread-local storage slots TlsAlloc can still give: every one is taken,
// counted and given back.
std::size_t FreeTlsSlots();
