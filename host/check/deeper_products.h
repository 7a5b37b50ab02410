#pragma once
// Where a catalogue keeps its products when its root has none of its own. The
// module reads only the root's own Product children, so a catalogue wrapped
// in one element too many, or any other document, lists nothing.
#include <cstddef>
#include <string>

#include "xml/xml_document.h"

struct ProductlessRoot {
    std::wstring rootName;
    size_t deeperProducts = 0;  // Product elements further down
    std::wstring firstParent;   // the first one's parent, as "/Root/Child"
};

// For a root without Product children; root is the document element.
ProductlessRoot DescribeProductlessRoot(CXmlNodeWrapper& root);
