#include "explain/explain_mode.h"

#include "utf8_output.h"

int RunExplain(const HostOptions&) {
    WriteErrorLine(L"--explain is not built yet");
    return 1;
}
