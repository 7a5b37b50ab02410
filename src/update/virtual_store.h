#pragma once
// File virtualisation: Windows gives a 32-bit process without a manifest,
// run without administrator rights, a per-user copy of any file it writes
// under Program Files or the Windows folder. Such a host reads its own copy
// of the catalogue, which no other user or process sees.
#include <string>

// The per-user copy that stands in for path in this process, or empty when
// writes to path are not virtualised here.
std::wstring VirtualStoreCopy(const std::wstring& path);
