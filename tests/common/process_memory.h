#pragma once
// Memory figures, the handle count and the free thread-local storage slots
// of the running process.
#include <cstddef>

// The most memory the process has had resident so far.
std::size_t PeakWorkingSet();

// Bytes in use in all of the process's heaps. Under Wine the private-bytes
// counter always reads 0, so growth is measured by walking the heaps instead.
std::size_t HeapBytesInUse();

// Handles the process has open. Under Wine GetProcessHandleCount reads 0, so
// the system's handle list is counted instead.
std::size_t HandlesInUse();

// Thread-local storage slots TlsAlloc can still give: every one is taken,
// counted and given back.
std::size_t FreeTlsSlots();
