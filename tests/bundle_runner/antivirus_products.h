#pragma once
// The antivirus products Windows' Security Center knows of, through WMI.
#include <string>
#include <vector>

// Their display names; empty when Windows reports none or cannot be asked
// (Windows Server has no Security Center, and so no such class).
std::vector<std::wstring> AntivirusProducts();
