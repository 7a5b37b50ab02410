#pragma once
// Catalogues shaped like real ones for the benchmark: every field present, two
// or three methods per product, mostly misses before a hit, and some process
// methods naming a process that always runs.
#include <windows.h>

#include <string>
#include <vector>

struct GeneratedMethod {
    bool process = false;
    std::wstring rootKey;  // hexadecimal, as the catalogue writes it
    std::wstring subKey;
    std::wstring value;
    std::wstring binary;
    bool view64 = false;
    std::wstring image;  // process methods
};

struct GeneratedProduct {
    std::wstring guid;
    std::wstring name;
    int productType = 0;
    std::vector<GeneratedMethod> methods;
};

std::vector<GeneratedProduct> GenerateProducts(int count);
std::wstring CatalogueXml(const std::vector<GeneratedProduct>& products);
