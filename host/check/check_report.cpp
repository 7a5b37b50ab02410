#include "check/check_report.h"

namespace {

std::wstring Counted(size_t count, const wchar_t* noun) {
    return std::to_wstring(count) + L" " + noun + (count == 1 ? L"" : L"s");
}

std::wstring Place(const Finding& finding) {
    if (finding.product == 0) return std::wstring();
    std::wstring place = L"product " + std::to_wstring(finding.product) + L" ";
    place += finding.guid.empty() ? L"(no GUID)" : finding.guid;
    place += finding.name.empty() ? L" (no name)" : L" \"" + finding.name + L"\"";
    if (finding.method != 0) place += L", method " + std::to_wstring(finding.method);
    return place + L": ";
}

}  // namespace

std::wstring FormatCheckReport(const std::wstring& path, size_t productCount, const Findings& findings) {
    std::wstring text = path + L"\r\n";
    for (const Finding& finding : findings) text += L"  " + Place(finding) + finding.text + L"\r\n";
    text += Counted(productCount, L"product") + L", ";
    text += findings.empty() ? std::wstring(L"no findings") : Counted(findings.size(), L"finding");
    return text + L"\r\n";
}
