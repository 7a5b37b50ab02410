#pragma once
// Reads a catalogue file into entries through the module's own XML layer,
// selecting exactly what the module's catalogue load selects.
#include <string>
#include <vector>

#include "check/catalogue_entries.h"
#include "check/deeper_products.h"
#include "xml/document_setup.h"

enum class CatalogueLoad {
    kRead,           // the module reads this document
    kPrologRefused,  // a DOCTYPE (or other text) before the root: the module refuses it
    kNotWellFormed,  // the parser refused it; failure says where and why
    kNoParser,       // no MSXML document could be made
};

struct CatalogueEntries {
    CatalogueLoad load = CatalogueLoad::kNoParser;
    XmlParseFailure failure;
    AttributeTexts rootAttributes;  // the signed claims "serial" and "file", when present
    std::vector<ProductEntry> products;
    ProductlessRoot productless;  // read, and the root has no Product child
};

// The file must be readable (the caller checks).
CatalogueEntries ReadCatalogueEntries(const std::wstring& path);
