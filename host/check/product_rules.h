#pragma once
// The rules for each Product: its group, its GUID among the group's others,
// its Detect, and the rules of each of its methods.
#include <vector>

#include "check/catalogue_entries.h"
#include "check/findings.h"

// Findings in catalogue order; a repeated GUID is reported at the later
// product, naming the earlier one.
Findings CheckProducts(const std::vector<ProductEntry>& products);
