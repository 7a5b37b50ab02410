#pragma once
// Where a catalogue that MSXML refused stops being well-formed, for when the
// DOM's parseError cannot say: Wine's MSXML answers every failure with the
// reason "error" at line 0. XmlLite, a second parser that reports its own
// line and position, reads the same file for the place and the cause.
#include <string>

#include "check/catalogue_reading.h"

// Fills failure's line, position (both 1-based) and reason from XmlLite's
// first error in the file; false when XmlLite is not available or finds none.
bool LocateParseError(const std::wstring& path, XmlParseFailure& failure);
