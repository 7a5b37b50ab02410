#pragma once
// The words both renderings of an explanation use, so the terminal text and
// the JSON never name the same thing differently.
#include <windows.h>

#include <string>

#include "explain/explanation.h"

// "HKLM" and the like for a predefined root, else the handle in hexadecimal.
std::wstring RootName(HKEY root);

// The registry view a method read: "64-bit" or "32-bit". A 32-bit Windows has
// only the 32-bit view, whatever the method asks for.
std::wstring ViewName(const MethodExplanation& method, bool wow64);

// "read", "key not opened", "value not read", "value too long", "root not
// opened", "expansion too long".
std::wstring OutcomeName(const MethodExplanation& method);

// "registry", "process" or "unknown kind".
std::wstring MethodKindName(const DetectMethod& method);
