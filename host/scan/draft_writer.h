#pragma once
// The draft catalogue as text, shaped like the shipped catalogues.
#include <string>
#include <vector>

#include "catalogue/product_record.h"

// One installed program: a product when some method finds it, else a
// comment saying why it is left out.
struct DraftEntry {
    std::wstring name;
    std::wstring where;  // the entry's list and key, for the comment
    std::wstring guid;
    std::wstring version;
    std::vector<DetectMethod> methods;  // registry/file methods; none: left out
    std::wstring leftOutReason;
};

// The whole document, XML declaration first; every text escaped.
std::wstring DraftCatalogueText(const std::vector<DraftEntry>& entries);
