#include "output_pipe.h"

#include <string>

OutputPipe CreateOutputPipe() {
    static LONG serial = 0;
    const std::wstring name = L"\\\\.\\pipe\\wareseek-test-runner-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(InterlockedIncrement(&serial));
    OutputPipe pipe;
    pipe.readEnd.Reset(CreateNamedPipeW(name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0,
                                        64 * 1024, 0, nullptr));
    if (!pipe.readEnd) return pipe;
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    pipe.writeEnd.Reset(CreateFileW(name.c_str(), GENERIC_WRITE, 0, &inheritable, OPEN_EXISTING, 0, nullptr));
    if (!pipe.writeEnd) {
        const DWORD error = GetLastError();
        pipe.readEnd.Reset();
        SetLastError(error);
    }
    return pipe;
}

PipeReader::PipeReader(HANDLE readEnd) : m_pipe(readEnd), m_event(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

PipeReader::~PipeReader() { Cancel(); }

bool PipeReader::Begin() {
    if (m_reading) return true;
    if (!m_event) return false;
    m_overlapped = {};
    m_overlapped.hEvent = m_event.Get();
    // Finished at once or not, the event is set when the read is done.
    if (!ReadFile(m_pipe, m_buffer, sizeof m_buffer, nullptr, &m_overlapped) && GetLastError() != ERROR_IO_PENDING) {
        return false;
    }
    m_reading = true;
    return true;
}

std::optional<std::string_view> PipeReader::Finish() {
    DWORD got = 0;
    const bool read = m_reading && GetOverlappedResult(m_pipe, &m_overlapped, &got, FALSE);
    m_reading = false;
    if (!read) return std::nullopt;
    return std::string_view(m_buffer, got);
}

void PipeReader::Cancel() {
    if (!m_reading) return;
    CancelIo(m_pipe);
    DWORD got = 0;
    GetOverlappedResult(m_pipe, &m_overlapped, &got, TRUE);
    m_reading = false;
}
