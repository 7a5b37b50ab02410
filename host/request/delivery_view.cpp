#include "request/delivery_view.h"

#include "request/report_list.h"
#include "request/response_table.h"

namespace {

const wchar_t kIndent[] = L"  ";

std::wstring StatusLine(const Delivery& delivery, unsigned long request) {
    const wchar_t* meaning = delivery.status == 0   ? L"response"
                             : delivery.status == 1 ? L"no response: not QUERY, or none produced"
                                                    : L"unknown status";
    return L"Request " + std::to_wstring(request) + L": status " + std::to_wstring(delivery.status) + L" (" + meaning +
           L")";
}

std::wstring Unreadable(const wchar_t* what, XmlResult result) {
    return std::wstring(kIndent) + what +
           (result == XmlResult::NoParser ? L" not shown: MSXML is not available" : L" is not readable XML");
}

void AddProducts(const Delivery& delivery, std::vector<std::wstring>& lines) {
    std::vector<ProductRow> rows;
    const XmlResult result = ReadProducts(delivery.response, rows);
    if (result != XmlResult::Ok) {
        lines.push_back(Unreadable(L"response", result));
        return;
    }
    for (const std::wstring& line : FormatProductTable(rows)) lines.push_back(kIndent + line);
}

void AddReport(const Delivery& delivery, std::vector<std::wstring>& lines) {
    if (delivery.report.empty()) return;
    std::vector<ReportEntry> entries;
    const XmlResult result = ReadReport(delivery.report, entries);
    if (result != XmlResult::Ok) {
        lines.push_back(Unreadable(L"report", result));
        return;
    }
    lines.push_back(std::wstring(kIndent) + L"Report, " + std::to_wstring(entries.size()) +
                    (entries.size() == 1 ? L" item:" : L" items:"));
    for (const std::wstring& line : FormatReport(entries)) lines.push_back(std::wstring(kIndent) + L"- " + line);
}

}  // namespace

std::vector<std::wstring> DescribeDelivery(const Delivery& delivery, unsigned long request, bool raw) {
    std::vector<std::wstring> lines{StatusLine(delivery, request)};
    if (delivery.pluginId != WARESEEK_PLUGIN_ID) {
        lines.push_back(std::wstring(kIndent) + L"note: the callback named plug-in " +
                        std::to_wstring(delivery.pluginId) + L", not " + std::to_wstring(WARESEEK_PLUGIN_ID));
    }
    if (delivery.status == 0) AddProducts(delivery, lines);
    AddReport(delivery, lines);
    if (raw) {
        lines.push_back(std::wstring(kIndent) + L"Raw response: " +
                        (delivery.responseNull ? L"(null)" : delivery.response));
        lines.push_back(std::wstring(kIndent) + L"Raw report: " + (delivery.reportNull ? L"(null)" : delivery.report));
    }
    return lines;
}
