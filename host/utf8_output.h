#pragma once
// Console output as UTF-8 bytes. Text goes to stdout/stderr with WriteFile, so
// a redirected stream (file or pipe) receives valid UTF-8 whatever the
// console's code page.
#include <windows.h>

#include <string>

#include "text/utf8_text.h"

// Switches the console's output code page to UTF-8 for this object's life and
// restores the previous one afterwards (the console outlives the host).
class ScopedUtf8Console {
public:
    ScopedUtf8Console();
    ~ScopedUtf8Console();
    ScopedUtf8Console(const ScopedUtf8Console&) = delete;
    ScopedUtf8Console& operator=(const ScopedUtf8Console&) = delete;

private:
    UINT m_previous = 0;
};

void WriteOut(const std::wstring& text);
// Writes one line to stderr, prefixed with the program name.
void WriteErrorLine(const std::wstring& message);
