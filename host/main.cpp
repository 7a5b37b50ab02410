// wareseek-host: loads the Wareseek module, drives its plug-in object from
// the command line and prints what the callback delivers.
#include "check/check_mode.h"
#include "exit_codes.h"
#include "explain/explain_mode.h"
#include "host_options.h"
#include "request/request_mode.h"
#include "scan/scan_mode.h"
#include "utf8_output.h"
#include "verify/verify_mode.h"
#include "win32/com_apartment.h"

int wmain(int argc, wchar_t** argv) {
    const ScopedUtf8Console console;
    HostOptions options;
    std::wstring error;
    if (!ParseOptions(argc, argv, options, error)) {
        WriteErrorLine(error);
        return kExitUsage;
    }
    if (options.help) {
        WriteOut(UsageText());
        return kExitOk;
    }
    const ComApartment com;
    switch (options.mode) {
        case HostMode::kExplain: return RunExplain(options);
        case HostMode::kCheck: return RunCheck(options);
        case HostMode::kScan: return RunScan(options);
        case HostMode::kVerify: return RunVerify(options);
        case HostMode::kRequest: break;
    }
    return RunRequests(options);
}
