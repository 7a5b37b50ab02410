#pragma once
// A catalogue as the module reads it, kept as plain text: which Product
// elements it selects, which Method elements each Detect yields, and the raw
// attribute texts the rules judge (present or absent, as written).
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The present attributes of one element among the names the linter reads.
using AttributeTexts = std::map<std::wstring, std::wstring>;

// The attribute's text, or null when the element does not have it.
const std::wstring* FindAttribute(const AttributeTexts& attributes, const wchar_t* name);

struct MethodEntry {
    AttributeTexts attributes;
};

struct ProductEntry {
    size_t position = 0;  // 1-based among the root's Product children
    AttributeTexts attributes;
    bool hasDetect = false;
    std::vector<MethodEntry> methods;
};

// How the module's conversions read these texts, with the same CRT calls.
// methodType: "true" or "1" in any case is a process method, anything else
// present or absent a registry/file one.
bool IsProcessMethod(const MethodEntry& method);
// productType: base-10 wcstoul, 0xFFFFFFFF when absent (never a group).
uint32_t ModuleProductType(const ProductEntry& product);
// The texts the module uses for a product's identity; empty when absent.
std::wstring ProductGuid(const ProductEntry& product);
std::wstring ProductName(const ProductEntry& product);
