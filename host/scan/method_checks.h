#pragma once
// Which candidate methods go into the draft.
#include <vector>

#include "catalogue/product_record.h"

// Whether the method passes --check's own rules and reads back from the
// draft exactly as written.
bool FitsCatalogueRules(const DetectMethod& method);

// Whether the module's own registry/file probe finds the program with this
// method right now.
bool FoundNow(const DetectMethod& method);

// The candidates that fit the rules and are found now, in their order.
std::vector<DetectMethod> WorkingMethods(const std::vector<DetectMethod>& candidates);
