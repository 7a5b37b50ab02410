#pragma once
// What the module's work costs at the least, done with the bare platform calls
// in a plain loop: the figures the module's own are held against.
#include <string>
#include <vector>

#include "bare_platform.h"
#include "generated_catalogue.h"

// The registry reads, file tests and the one process list that detecting the
// products needs, each product's methods in order until one finds it. Returns
// the number of products found.
int BareDetection(const std::vector<GeneratedProduct>& products);
