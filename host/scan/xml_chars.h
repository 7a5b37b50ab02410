#pragma once
// Registry text may hold characters an XML document cannot carry.
#include <string>

// Whether every character of text survives an XML attribute value unchanged
// once escaped: XML characters only, and no tab or line break (a parser turns
// those into spaces).
bool SurvivesAttribute(const std::wstring& text);

// text with every character XML cannot carry replaced by U+FFFD.
std::wstring XmlCharacters(const std::wstring& text);

// Text for an XML comment: escaped, with XML characters only, no "--" and no
// "-" at its end.
std::wstring CommentText(const std::wstring& text);
