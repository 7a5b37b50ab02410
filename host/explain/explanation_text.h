#pragma once
// An explanation as terminal text: a header line per product with its verdict,
// then each method that ran with what it read and tested.
#include <string>

#include "explain/explanation.h"

std::wstring ExplanationText(const Explanation& explanation);
