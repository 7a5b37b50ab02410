#pragma once
// The limits of what a detection method's texts can name: the probes meet
// them and the catalogue check reports against the same numbers.
#include <windows.h>

#include <cstddef>

// The registry/file probe reads the value's text and builds every path in
// buffers of this many units, terminator included.
constexpr size_t kProbePathUnits = MAX_PATH;
// "binary" is joined to a folder in such a buffer. The join holds at least
// the whole binary (one with a drive of its own takes no folder), so a longer
// binary never fits.
constexpr size_t kMaxBinaryLength = kProbePathUnits - 1;
// The probe reads at most this many characters of "binaryType", as decimal.
constexpr size_t kBinaryTypeDigits = 3;
// The registry's own limits: no longer key or value name can be created, so
// none can be found.
constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxValueNameLength = 16383;
// The process probe compares image file names; a file name has at most 255
// characters on every file system Windows runs from (NTFS, FAT's long names,
// exFAT, ReFS).
constexpr size_t kMaxImageNameLength = 255;
