#include "request/report_list.h"

XmlResult ReadReport(const std::wstring& report, std::vector<ReportEntry>& entries) {
    // The items have no common root; one is added so the run parses as a document.
    CXmlDocHolder document;
    const XmlResult result = ParseDelivered(document, L"<Report>" + report + L"</Report>");
    if (result != XmlResult::Ok) return result;
    entries.clear();
    CXmlNodeWrapper root(document.GetRootNode());
    CXmlNodeListWrapper(root.SelectNodes(L"Item")).ForEach([&entries](CXmlNodeWrapper& item) {
        entries.push_back({AttributeText(item, L"title"), AttributeText(item, L"msg")});
    });
    return XmlResult::Ok;
}

std::vector<std::wstring> FormatReport(const std::vector<ReportEntry>& entries) {
    std::vector<std::wstring> lines;
    for (const ReportEntry& entry : entries) {
        const wchar_t* separator = entry.title.empty() || entry.msg.empty() ? L"" : L": ";
        lines.push_back(entry.title + separator + entry.msg);
    }
    return lines;
}
