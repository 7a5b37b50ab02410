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

#ifdef __cplusplus
}
#endif
