#include "scan/scan_mode.h"

#include "utf8_output.h"

int RunScan(const HostOptions&) {
    WriteErrorLine(L"--scan is not built yet");
    return 1;
}
