#include "request/report_list.h"

XmlResult ReadReport(const std::wstring& report, std::vector<ReportEntry>& entries) {
    // The items have no common root; one is added so the run parses as a document.
    std::vector<XmlElement> items;
    const XmlResult result = SelectElements(L"<Report>" + report + L"</Report>", L"/Report/Item", items);
    if (result != XmlResult::Ok) return result;
    entries.clear();
    for (const XmlElement& item : items) entries.push_back({item.Get(L"title"), item.Get(L"msg")});
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
