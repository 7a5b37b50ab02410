#pragma once
/* Heap use of the running process, for leak checks in the C and C++ tests. */
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Bytes in use in all of the process's heaps; 0 when none can be walked.
 * Under Wine the private-bytes counter always reads 0, so growth is measured
 * by walking the heaps instead. */
size_t HeapBytesInUse(void);

/* Allocates and frees blocks of every small size on the given number of
 * threads at once, on the process heap and the C runtime's. Wine 10's heap,
 * like Windows', has a low-fragmentation front end: it serves small blocks
 * from groups of same-sized blocks, made as a size comes into use on a thread
 * and kept after their blocks are freed, and its heap walk counts each group
 * whole. Without priming, growth measured across work shows groups being set
 * up, tens of kilobytes at a time, rather than blocks kept. Call it once before
 * the first measurement, with as many threads as the work runs at once: the
 * free blocks it leaves in groups take in later blocks of their size unseen,
 * leaked ones too, so priming more than the work needs hides small leaks. */
void PrimeHeapBlockGroups(int threads);

#ifdef __cplusplus
}
#endif
