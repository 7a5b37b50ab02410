#pragma once
// What the host prints for one callback delivery.
#include <string>
#include <vector>

#include "request/callback_sink.h"

// The lines for a delivery answering request number `request` (from 1): a
// status line, then the indented product table, the report entries and,
// with raw, the module's texts as they came.
std::vector<std::wstring> DescribeDelivery(const Delivery& delivery, unsigned long request, bool raw);
