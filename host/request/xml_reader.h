#pragma once
// Reading XML text through MSXML's DOM. The calling thread must have COM
// initialised (ComApartment).
#include <windows.h>
#include <objbase.h>

#include <map>
#include <string>
#include <vector>

#include "win32/com_apartment.h"

// One element's attributes by name.
struct XmlElement {
    std::map<std::wstring, std::wstring> attributes;
    // The attribute's value, or "" when absent.
    std::wstring Get(const wchar_t* name) const;
};

enum class XmlResult { Ok, NoParser, NotXml };

// Parses text and collects, in document order, the elements xpath selects.
// elements is untouched unless the result is Ok.
XmlResult SelectElements(const std::wstring& text, const wchar_t* xpath, std::vector<XmlElement>& elements);
