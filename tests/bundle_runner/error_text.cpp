#include "error_text.h"

#include "text/text_trim.h"
#include "win32/win_owners.h"

std::wstring ErrorText(DWORD code) {
    UniqueLocalMemory buffer;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<wchar_t*>(buffer.Receive()), 0, nullptr);
    std::wstring text = buffer ? static_cast<const wchar_t*>(buffer.Get()) : L"";
    for (wchar_t& c : text) {
        if (c == L'\r' || c == L'\n') c = L' ';
    }
    text = TrimmedText(text);
    return (text.empty() ? L"" : text + L" ") + L"(error " + std::to_wstring(code) + L")";
}
