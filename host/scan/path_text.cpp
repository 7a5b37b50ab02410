#include "scan/path_text.h"

#include <cwchar>
#include <cwctype>

#include "text/path_parts.h"
#include "text/text_trim.h"

namespace {

// Installed-programs entries pad with spaces and tabs only.
std::wstring Trimmed(const std::wstring& text) {
    return TrimmedText(text, L" \t");
}

// ",0", ",-101", ", 3": what follows a comma in an icon text when it is an index.
bool IsIconIndex(const std::wstring& tail) {
    const std::wstring index = Trimmed(tail);
    const size_t digits = !index.empty() && index[0] == L'-' ? 1 : 0;
    if (index.size() == digits) return false;
    for (size_t i = digits; i < index.size(); ++i) {
        if (!iswdigit(index[i])) return false;
    }
    return true;
}

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

}  // namespace

std::wstring IconFilePath(const std::wstring& icon) {
    std::wstring text = Trimmed(icon);
    if (!text.empty() && text[0] == L'"') {
        const size_t close = text.find(L'"', 1);
        return text.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
    }
    const size_t comma = text.rfind(L',');
    if (comma != std::wstring::npos && IsIconIndex(text.substr(comma + 1))) text = Trimmed(text.substr(0, comma));
    return text;
}

std::wstring CleanFolder(const std::wstring& folder) {
    std::wstring text = Trimmed(folder);
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"')
        text = Trimmed(text.substr(1, text.size() - 2));
    // "C:\" keeps its separator: "C:" alone means the drive's current folder.
    while (text.size() > 3 && IsSeparator(text.back())) text.pop_back();
    return text;
}

bool HasExtension(const std::wstring& name, const wchar_t* extension) {
    const size_t length = wcslen(extension);
    return name.size() > length && _wcsicmp(name.c_str() + name.size() - length, extension) == 0;
}

bool LiesIn(const std::wstring& path, const std::wstring& folder) {
    if (folder.empty() || path.size() <= folder.size()) return false;
    if (_wcsnicmp(path.c_str(), folder.c_str(), folder.size()) != 0) return false;
    return IsSeparator(folder.back()) || IsSeparator(path[folder.size()]);
}

std::wstring BinaryWithin(const std::wstring& folder, const std::wstring& path) {
    if (!LiesIn(path, folder)) return FileNameOf(path);
    size_t start = folder.size();
    while (start < path.size() && IsSeparator(path[start])) ++start;
    return path.substr(start);
}
