#pragma once
// Conversions between UTF-16 and UTF-8, shared by the host and the tests.
#include <string>

// UTF-8 form of UTF-16 text; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(const std::wstring& text);

// UTF-16 form of UTF-8 text; an invalid sequence becomes U+FFFD.
std::wstring FromUtf8(const std::string& text);
