#include "check/check_mode.h"

#include "utf8_output.h"

int RunCheck(const HostOptions&) {
    WriteErrorLine(L"--check is not built yet");
    return 1;
}
