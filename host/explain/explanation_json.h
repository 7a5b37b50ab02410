#pragma once
// An explanation as one JSON document, for tools: the same facts as the text,
// with fixed key names.
#include <string>

#include "explain/explanation.h"

std::wstring ExplanationJson(const Explanation& explanation);

// text as a JSON string literal, quotes included.
std::wstring JsonString(const std::wstring& text);
