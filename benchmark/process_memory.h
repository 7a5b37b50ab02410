#pragma once
// Memory figures of the benchmark's own process.
#include <cstddef>

// The most memory the process has had resident so far.
std::size_t PeakWorkingSet();

// Bytes in use in all of the process's heaps. Under Wine the private-bytes
// counter always reads 0, so growth is measured by walking the heaps instead.
std::size_t HeapBytesInUse();
