#include "request/response_table.h"

#include <algorithm>
#include <array>

namespace {

bool IsWide(wchar_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6);
}

const size_t kColumns = 4;
using Cells = std::array<std::wstring, kColumns>;

std::wstring PadTo(const std::wstring& text, size_t width) {
    const size_t used = DisplayWidth(text);
    return text + std::wstring(used < width ? width - used : 0, L' ');
}

// Joins cells with two blanks between columns; the last is not padded.
std::wstring FormatLine(const Cells& cells, const std::array<size_t, kColumns>& widths) {
    std::wstring line;
    for (size_t i = 0; i + 1 < kColumns; ++i) line += PadTo(cells[i], widths[i]) + L"  ";
    return line + cells[kColumns - 1];
}

}  // namespace

size_t DisplayWidth(const std::wstring& text) {
    size_t width = 0;
    for (wchar_t c : text) {
        if (c >= 0xDC00 && c <= 0xDFFF) continue;  // a pair's second half adds nothing
        // Characters beyond the basic plane (a surrogate pair) are mostly
        // ideographs and emoji, drawn two columns wide.
        width += (IsWide(c) || (c >= 0xD800 && c <= 0xDBFF)) ? 2 : 1;
    }
    return width;
}

XmlResult ReadProducts(const std::wstring& response, std::vector<ProductRow>& rows) {
    CXmlDocHolder document;
    const XmlResult result = ParseDelivered(document, response);
    if (result != XmlResult::Ok) return result;
    CXmlNodeWrapper root(document.GetRootNode());
    if (root.GetName() != L"Response") return XmlResult::NotXml;
    rows.clear();
    CXmlNodeListWrapper(root.SelectNodes(L"Result")).ForEach([&rows](CXmlNodeWrapper& result) {
        CXmlNodeListWrapper(result.SelectNodes(L"Item")).ForEach([&rows](CXmlNodeWrapper& item) {
            rows.push_back({AttributeText(item, L"itemType"), AttributeText(item, L"itemGUID"),
                            AttributeText(item, L"itemName"), AttributeText(item, L"isInstalled") == L"1"});
        });
    });
    return XmlResult::Ok;
}

std::vector<std::wstring> FormatProductTable(const std::vector<ProductRow>& rows) {
    std::vector<Cells> cells{{L"Group", L"Installed", L"GUID", L"Name"}};
    for (const ProductRow& row : rows) cells.push_back({row.group, row.installed ? L"yes" : L"no", row.guid, row.name});
    std::array<size_t, kColumns> widths{};
    for (const Cells& line : cells) {
        for (size_t i = 0; i < kColumns; ++i) widths[i] = std::max(widths[i], DisplayWidth(line[i]));
    }
    std::vector<std::wstring> lines;
    if (!rows.empty()) {
        for (const Cells& line : cells) lines.push_back(FormatLine(line, widths));
    }
    const auto installed = std::count_if(rows.begin(), rows.end(), [](const ProductRow& row) { return row.installed; });
    lines.push_back(std::to_wstring(rows.size()) + (rows.size() == 1 ? L" product, " : L" products, ") +
                    std::to_wstring(installed) + L" installed");
    return lines;
}
