#include "runner_output.h"

#include "text/utf8_text.h"

RunnerOutput::RunnerOutput(UniqueFile resultsFile)
    : m_stdout(GetStdHandle(STD_OUTPUT_HANDLE)), m_console(false), m_results(std::move(resultsFile)) {
    DWORD mode = 0;
    m_console = GetConsoleMode(m_stdout, &mode) != 0;
}

void RunnerOutput::Line(const std::wstring& text) {
    const std::wstring line = (m_midLine ? L"\r\n" : L"") + text + L"\r\n";
    m_midLine = false;
    const std::string utf8 = ToUtf8(line);
    if (m_console) {
        DWORD written = 0;
        WriteConsoleW(m_stdout, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    } else {
        Write(m_stdout, utf8.data(), utf8.size());
    }
    Write(m_results.Get(), utf8.data(), utf8.size());
}

void RunnerOutput::PassOn(const char* bytes, size_t count) {
    if (count == 0) return;
    Write(m_stdout, bytes, count);
    Write(m_results.Get(), bytes, count);
    m_midLine = bytes[count - 1] != '\n';
}

void RunnerOutput::Write(HANDLE target, const char* bytes, size_t count) {
    if (target == nullptr || target == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    while (count > 0 && WriteFile(target, bytes, static_cast<DWORD>(count), &written, nullptr) && written > 0) {
        bytes += written;
        count -= written;
    }
}
