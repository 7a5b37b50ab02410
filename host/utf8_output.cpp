#include "utf8_output.h"

namespace {

void WriteBytes(DWORD stream, const std::string& bytes) {
    HANDLE handle = GetStdHandle(stream);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || bytes.empty()) return;
    DWORD written = 0;
    // One call per text: some consoles misreport the count for UTF-8, so a
    // retry loop on a short count could print a tail twice.
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

ScopedUtf8Console::ScopedUtf8Console() : m_previous(GetConsoleOutputCP()) {
    if (m_previous != 0) SetConsoleOutputCP(CP_UTF8);
}

ScopedUtf8Console::~ScopedUtf8Console() {
    if (m_previous != 0) SetConsoleOutputCP(m_previous);
}

void WriteOut(const std::wstring& text) {
    WriteBytes(STD_OUTPUT_HANDLE, ToUtf8(text));
}

void WriteErrorLine(const std::wstring& message) {
    WriteBytes(STD_ERROR_HANDLE, ToUtf8(L"wareseek-host: " + message + L"\r\n"));
}
