#pragma once
/* The platform work that reading XML costs at the least, without the module:
 * the baseline that the module's time and memory are held against. */
#include <wchar.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Loads the file at path into one MSXML document (set up as the module sets up
 * its documents, on the calling thread's own COM apartment) and walks it once,
 * reading every name, attribute and text. Returns the number of values read,
 * or -1 when the file does not load. */
long OneWalkParse(const wchar_t* path);

/* The same for a document given as text. */
long OneWalkParseText(const wchar_t* text);

#ifdef __cplusplus
}
#endif
