#pragma once
// One thing the module would read differently from what the catalogue's
// author meant, and where it is.
#include <cstddef>
#include <string>
#include <vector>

struct Finding {
    size_t product = 0;  // 1-based product position; 0 for the file as a whole
    std::wstring guid;   // the product's GUID and name as written
    std::wstring name;
    size_t method = 0;  // 1-based Method position; 0 for the product itself
    std::wstring text;  // what is written and what the module does with it
};

using Findings = std::vector<Finding>;

// A text for a message: quoted, and cut short when long (the message says
// how long when the length matters).
std::wstring Quoted(const std::wstring& text);
