#pragma once
// What the module's work costs at the least, done with the bare platform calls
// in a plain loop: the figures the module's own are held against.
#include <string>
#include <vector>

#include "generated_catalogue.h"

// Loads the file into one MSXML document (set up as the module sets up its
// documents) and walks it once, reading every name, attribute and text.
// Returns the number of values read, or -1 when the file does not load.
long OneWalkParse(const std::wstring& path);

// The registry reads, file tests and the one process list that detecting the
// products needs, each product's methods in order until one finds it. Returns
// the number of products found.
int BareDetection(const std::vector<GeneratedProduct>& products);
