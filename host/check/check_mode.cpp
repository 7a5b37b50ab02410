#include "check/check_mode.h"

#include <windows.h>

#include "check/catalogue_reading.h"
#include "check/catalogue_rules.h"
#include "check/check_report.h"
#include "error_text.h"
#include "win32/win_owners.h"
#include "utf8_output.h"

namespace {

// Exit codes of --check.
enum CheckExitCode {
    kCheckClean = 0,
    kCheckFindings = 1,
    kCheckUnreadable = 2,  // the file can't be read, or nothing here parses XML
};

// Why the file can't be read, or empty when it can: a folder, a missing file
// or one this user may not open are not catalogues to check.
std::wstring UnreadableReason(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return ErrorText(GetLastError());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return L"it is a folder";
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return ErrorText(GetLastError());
    return std::wstring();
}

}  // namespace

int RunCheck(const HostOptions& options) {
    const std::wstring& path = options.checkPath;
    const std::wstring reason = UnreadableReason(path);
    if (!reason.empty()) {
        WriteErrorLine(L"cannot read '" + path + L"': " + reason);
        return kCheckUnreadable;
    }
    const CatalogueEntries catalogue = ReadCatalogueEntries(path);
    if (catalogue.load == CatalogueLoad::kNoParser) {
        WriteErrorLine(L"cannot check '" + path + L"': no MSXML document can be created here");
        return kCheckUnreadable;
    }
    const Findings findings = CheckCatalogue(catalogue);
    WriteOut(FormatCheckReport(path, catalogue.products.size(), findings));
    return findings.empty() ? kCheckClean : kCheckFindings;
}
