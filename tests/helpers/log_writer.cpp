// Writes many log lines from one process: log_writer.exe <tag> <count> [file].
// With a file, into that file under the log's shared mutex instead of into the
// machine's log.
#include <cstdlib>
#include <cwchar>
#include <memory>

#include "log/debug_log.h"

namespace {

struct LogAtPath : CMLog {
    explicit LogAtPath(const wchar_t* path) : CMLog(path) {}
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    std::unique_ptr<LogAtPath> own(argc > 3 ? new LogAtPath(argv[3]) : nullptr);
    CMLog& log = own ? *own : CMLog::GetInstance();
    const int count = _wtoi(argv[2]);
    for (int i = 0; i < count; ++i) {
        log.Log(L"writer %s line %d of a message long enough to be written in several pieces by a careless logger",
                argv[1], i);
    }
    return 0;
}
