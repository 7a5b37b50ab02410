#pragma once
#include <string>

// Escapes text for an XML attribute value or element content: & < > and ".
std::wstring XmlEscape(const std::wstring& text);
