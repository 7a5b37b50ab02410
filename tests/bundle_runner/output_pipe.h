#pragma once
// The pipe a test program writes its output to. The program gets the write
// end, inheritable, as its standard output and error; the runner reads the
// other end with overlapped reads, so it can wait for output and for the
// program's end (or its time limit) at once.
#include <windows.h>

#include <optional>
#include <string_view>

#include "win32/win_owners.h"

struct OutputPipe {
    UniqueFile readEnd;
    UniqueFile writeEnd;
};

// A new pipe, or empty ends with GetLastError telling why.
OutputPipe CreateOutputPipe();

// Reads one pipe end, one read at a time.
class PipeReader {
public:
    explicit PipeReader(HANDLE readEnd);
    ~PipeReader();  // a read still under way is cancelled: its buffer is this object's
    PipeReader(const PipeReader&) = delete;
    PipeReader& operator=(const PipeReader&) = delete;

    // Starts the next read unless one is under way; false once every write
    // end has closed.
    bool Begin();
    // Set when the read under way has finished.
    HANDLE Event() const { return m_event.Get(); }
    // The bytes of the finished read (perhaps none); nothing once every write
    // end has closed.
    std::optional<std::string_view> Finish();
    // Gives up the read under way.
    void Cancel();

private:
    HANDLE m_pipe;
    UniqueHandle m_event;
    OVERLAPPED m_overlapped = {};
    bool m_reading = false;
    char m_buffer[16384];
};
