#pragma once
// Creating and loading MSXML documents safely, in one place for the module,
// the host and the download module. Catalogues arrive over plain HTTP and
// requests from any host, so no document may make the parser fetch anything,
// expand entities or run on after load returns:
// - every document loads synchronously (async off), without validation and
//   without resolving externals, and refuses DTDs (ProhibitDTD);
// - before parsing, a document whose prolog (the text before its first
//   element, in whatever encoding a file uses) holds a DOCTYPE is refused
//   here as well, since not every MSXML honours ProhibitDTD (Wine's accepts
//   the property and ignores it). Callers see such a document as one that
//   does not load.
#include <windows.h>
#include <msxml2.h>

#include <cstddef>
#include <string>

#include "win32/com_ptr.h"

// MSXML's version-independent DOMDocument, its 2.6 fallback, and the
// IXMLDOMDocument2 interface, spelt out so no import library must have them.
extern const CLSID kDomDocumentClass;
extern const CLSID kDomDocument26Class;
extern const IID kDomDocument2Interface;

// The class object that makes documents of documentClass; false when the
// class is not available. Finding a class costs far more than creating an
// instance from it, so callers that make many documents hold on to it.
bool GetXmlDocumentFactory(const CLSID& documentClass, ComPtr<IClassFactory>& factory);

// A new document from factory, set up as above; false when none is made.
bool CreateXmlDocument(IClassFactory* factory, ComPtr<IXMLDOMDocument2>& document);

// Parses text into document; false when it is not well-formed or has a DOCTYPE.
bool ParseXmlText(IXMLDOMDocument2* document, BSTR text);

// Files larger than this are not read: far above any real catalogue.
constexpr std::size_t kXmlFileLimit = 256u << 20;

// How loading a file into a document ended.
enum class XmlFileLoad { kLoaded, kUnreadable, kPrologRefused, kNotWellFormed };

// Where and why the parser stopped reading a document.
struct XmlParseFailure {
    long line = 0;
    long position = 0;
    std::wstring reason;
};

// Reads the file at path once and parses what was read: the prolog check and
// the parser see the same bytes, and the parser is never handed the path,
// which MSXML would take for an address ("%41" and "#" in a folder name).
// Files that can't be opened or read, or are over kXmlFileLimit, are
// kUnreadable.
XmlFileLoad LoadXmlFile(IXMLDOMDocument2* document, const wchar_t* path);

// The same for bytes already read, in whatever encoding a file may have.
XmlFileLoad LoadXmlBytes(IXMLDOMDocument2* document, const std::string& bytes);
