#pragma once
// The report text: a run of "Item" elements with no root element.
#include <string>
#include <vector>

#include "request/xml_result.h"

struct ReportEntry {
    std::wstring title;
    std::wstring msg;
};

// Reads every Item of the report; an empty report is Ok with no entries.
XmlResult ReadReport(const std::wstring& report, std::vector<ReportEntry>& entries);

// "title: msg" per entry (just the one that is present when the other is empty).
std::vector<std::wstring> FormatReport(const std::vector<ReportEntry>& entries);
