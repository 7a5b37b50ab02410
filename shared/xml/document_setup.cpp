#include "xml/document_setup.h"

#include <oleauto.h>
#include <shlwapi.h>

#include <new>
#include <optional>
#include <string>

#include "win32/com_string.h"
#include "win32/com_variant.h"
#include "win32/file_bytes.h"
#include "xml/prolog_check.h"

const CLSID kDomDocumentClass = {0xF6D90F11, 0x9C73, 0x11D3, {0xB3, 0x2E, 0x00, 0xC0, 0x4F, 0x99, 0x0B, 0xB4}};
const CLSID kDomDocument26Class = {0xF5078F1B, 0xC551, 0x11D3, {0x89, 0xB9, 0x00, 0x00, 0xF8, 0x1F, 0xE2, 0x21}};
const IID kDomDocument2Interface = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

namespace {

// Never throws: documents are made in code that must not.
bool SetProhibitDtd(IXMLDOMDocument2* document) noexcept {
    ComString name;
    *name.Receive() = SysAllocString(L"ProhibitDTD");
    if (name.IsNull()) return false;
    ComVariant on;
    V_VT(on.Ptr()) = VT_BOOL;
    V_BOOL(on.Ptr()) = VARIANT_TRUE;
    return SUCCEEDED(document->setProperty(name.Get(), on.Ref()));
}

}  // namespace

bool GetXmlDocumentFactory(const CLSID& documentClass, ComPtr<IClassFactory>& factory) {
    return SUCCEEDED(CoGetClassObject(documentClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                      reinterpret_cast<void**>(factory.Receive()))) &&
           factory;
}

bool CreateXmlDocument(IClassFactory* factory, ComPtr<IXMLDOMDocument2>& document) {
    if (!factory || FAILED(factory->CreateInstance(nullptr, kDomDocument2Interface,
                                                   reinterpret_cast<void**>(document.Receive()))) ||
        !document) {
        return false;
    }
    // Windows' MSXML 3 loads asynchronously and resolves externals unless told
    // not to; a document that can't be set up safely is not used.
    if (FAILED(document->put_async(VARIANT_FALSE)) || FAILED(document->put_validateOnParse(VARIANT_FALSE)) ||
        FAILED(document->put_resolveExternals(VARIANT_FALSE))) {
        document.Reset();
        return false;
    }
    // Older parsers without the property still meet the prolog check.
    SetProhibitDtd(document.Get());
    return true;
}

bool ParseXmlText(IXMLDOMDocument2* document, BSTR text) {
    if (!document || !text || TextPrologRefused(std::wstring_view(text, SysStringLen(text)))) return false;
    VARIANT_BOOL parsed = VARIANT_FALSE;
    return SUCCEEDED(document->loadXML(text, &parsed)) && parsed != VARIANT_FALSE;
}

namespace {

// A stream over bytes, with a copy of its own; none when the prolog is
// refused (opened says so) or no memory is left.
ComPtr<IStream> StreamOver(const std::string& bytes, XmlFileLoad& opened) {
    opened = BytesPrologRefused(bytes) ? XmlFileLoad::kPrologRefused : XmlFileLoad::kUnreadable;
    if (opened == XmlFileLoad::kPrologRefused) return ComPtr<IStream>();
    ComPtr<IStream> stream(
        SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size())));
    if (stream) opened = XmlFileLoad::kLoaded;
    return stream;
}

XmlFileLoad LoadStream(IXMLDOMDocument2* document, IStream* stream) {
    // The parser detects the encoding from the bytes as it would from a file.
    VARIANT source;
    VariantInit(&source);
    V_VT(&source) = VT_UNKNOWN;
    V_UNKNOWN(&source) = stream;  // lent: the caller keeps the reference
    VARIANT_BOOL parsed = VARIANT_FALSE;
    const bool loaded = SUCCEEDED(document->load(source, &parsed)) && parsed != VARIANT_FALSE;
    return loaded ? XmlFileLoad::kLoaded : XmlFileLoad::kNotWellFormed;
}

}  // namespace

XmlFileLoad LoadXmlBytes(IXMLDOMDocument2* document, const std::string& bytes) {
    if (!document) return XmlFileLoad::kUnreadable;
    XmlFileLoad opened = XmlFileLoad::kUnreadable;
    const ComPtr<IStream> stream = StreamOver(bytes, opened);
    return stream ? LoadStream(document, stream.Get()) : opened;
}

XmlFileLoad LoadXmlFile(IXMLDOMDocument2* document, const wchar_t* path) {
    if (!document || !path) return XmlFileLoad::kUnreadable;
    XmlFileLoad opened = XmlFileLoad::kUnreadable;
    ComPtr<IStream> stream;
    {
        // The bytes read are let go before the parser runs on the stream's
        // copy: a large catalogue is held once, not twice, while the
        // document is built.
        std::optional<std::string> bytes;
        try {
            bytes = ReadFileBytes(path, kXmlFileLimit);
        } catch (const std::bad_alloc&) {
        }
        if (!bytes) return XmlFileLoad::kUnreadable;
        stream = StreamOver(*bytes, opened);
    }
    return stream ? LoadStream(document, stream.Get()) : opened;
}
