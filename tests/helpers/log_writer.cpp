// Writes many log lines from one process: log_writer.exe <tag> <count>.
#include <cstdlib>
#include <cwchar>

#include "log/debug_log.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    CMLog& log = CMLog::GetInstance();
    const int count = _wtoi(argv[2]);
    for (int i = 0; i < count; ++i) {
        log.Log(L"writer %s line %d of a message long enough to be written in several pieces by a careless logger",
                argv[1], i);
    }
    return 0;
}
