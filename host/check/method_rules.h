#pragma once
// The rules for one Method of a Detect: what its attribute texts make the
// module's probes do, as messages without the method's location.
#include <string>
#include <vector>

#include "check/catalogue_entries.h"

std::vector<std::wstring> CheckMethod(const MethodEntry& method);
