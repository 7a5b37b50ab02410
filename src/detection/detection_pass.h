#pragma once
#include <cstdint>

class DetectionObserver;
struct ProcessSnapshot;
struct ProductRecord;

// Tries record's methods in catalogue order until one finds the product; the
// first success records where it was found. 1 when found, else 0. Process
// methods share the pass's snapshot. The observer, when given, is told every
// step.
int32_t DetectProduct(ProductRecord& record, ProcessSnapshot& snapshot, DetectionObserver* observer = nullptr);
