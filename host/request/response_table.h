#pragma once
// The products of a "Response" document as a table for the console.
#include <string>
#include <vector>

#include "request/xml_result.h"

struct ProductRow {
    std::wstring group;  // itemType as sent: "0", "1" or "2"
    std::wstring guid;
    std::wstring name;
    bool installed = false;
};

// Reads the Result items of a "Response" document; NotXml also covers a
// well-formed document whose root is not "Response".
XmlResult ReadProducts(const std::wstring& response, std::vector<ProductRow>& rows);

// Aligned table lines (header first; none when rows is empty), then the
// summary line "N products, M installed".
std::vector<std::wstring> FormatProductTable(const std::vector<ProductRow>& rows);

// Console columns text takes: East Asian wide characters count two.
size_t DisplayWidth(const std::wstring& text);
