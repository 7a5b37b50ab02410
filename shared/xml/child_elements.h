#pragma once
// Child elements by name without the XPath engine. Compiling an expression
// costs MSXML far more than walking a few children, and the module's paths
// are mostly plain child names ("md5", "./url"). The answers are the engine's:
// element children whose name, prefix included, is the one asked for, in
// document order, whatever namespace is in scope (what MSXML's default
// selection language matches).
#include <windows.h>
#include <msxml2.h>

#include <string_view>

// The element name of a path that selects child elements by name alone
// ("name" or "./name", no prefix); empty for any other path.
std::wstring_view ChildElementName(const wchar_t* xpath);

// The first child element named name, or null: as selectSingleNode gives it.
IXMLDOMNode* FirstChildElement(IXMLDOMElement* parent, std::wstring_view name);

// Every child element named name, as a node list of its own: as selectNodes
// gives it. Null only when the children can't be read.
IXMLDOMNodeList* ChildElements(IXMLDOMElement* parent, std::wstring_view name);
