#pragma once
// The two detection probes. Each takes a method's params and answers found (1)
// or not found (0); on success it sets the found path and the binary type.
// Every failure, of whatever kind, is simply "not found". An observer, when
// given, is told each step (see detection_observer.h).
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "detection/detection_observer.h"

struct ProcessSnapshot;

// Registry/file method: a registry value names the product's folder or file.
// A REG_EXPAND_SZ value is expanded first, and a value of the 64-bit view
// under WOW64 is read as the 64-bit program that wrote it reads it: its
// %ProgramFiles% and System32 are the 64-bit ones.
int32_t ProbeRegistryFile(const std::vector<std::wstring>& params, int32_t& binaryType, std::wstring& foundPath,
                          DetectionObserver* observer = nullptr);

// Reads a registry value as text into a MAX_PATH buffer, from the 64-bit view
// when asked. 0 when the key or value is missing or the text does not fit with
// its terminator.
int32_t ReadRegistryString(HKEY root, const wchar_t* subKey, const wchar_t* valueName, wchar_t* buffer,
                           int32_t use64BitView);

// The same read, saying how it ended, with which system status, and the
// value's registry type.
RegistryReadOutcome ReadRegistryText(HKEY root, const wchar_t* subKey, const wchar_t* valueName, wchar_t* buffer,
                                     int32_t use64BitView, LONG& status, DWORD& type);

// Process method: a process with the method's image name is running. The
// first call of a pass fills the pass's snapshot; later calls reuse it.
int32_t ProbeProcess(const std::vector<std::wstring>& params, int32_t& binaryType, ProcessSnapshot& snapshot,
                     std::wstring& foundPath, DetectionObserver* observer = nullptr);
