#include "check/findings.h"

std::wstring Quoted(const std::wstring& text) {
    const size_t kShown = 40;
    if (text.size() <= kShown) return L"\"" + text + L"\"";
    return L"\"" + text.substr(0, kShown - 3) + L"...\"";
}
