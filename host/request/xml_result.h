#pragma once
// Reading the documents the module delivers, through the shared XML layer.
#include <string>

#include "xml/xml_document.h"

enum class XmlResult { Ok, NoParser, NotXml };

// Parses text into document: NoParser when no MSXML document could be made,
// NotXml when text is not a well-formed document.
XmlResult ParseDelivered(CXmlDocHolder& document, const std::wstring& text);
