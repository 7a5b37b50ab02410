#include "bare_platform.h"

#include <windows.h>
#include <msxml2.h>

#include "win32/com_apartment.h"
#include "win32/com_string.h"
#include "win32/com_variant.h"
#include "xml/document_setup.h"

namespace {

long WalkNode(IXMLDOMNode* node) {
    long values = 0;
    ComString text;
    node->get_nodeName(text.Receive());
    ++values;
    DOMNodeType type = NODE_INVALID;
    node->get_nodeType(&type);
    if (type == NODE_TEXT) {
        node->get_text(text.Receive());
        return values + 1;
    }
    ComPtr<IXMLDOMNamedNodeMap> attributes;
    if (SUCCEEDED(node->get_attributes(attributes.Receive())) && attributes) {
        ComPtr<IXMLDOMNode> attribute;
        while (attributes->nextNode(attribute.Receive()) == S_OK && attribute) {
            attribute->get_text(text.Receive());
            ++values;
        }
    }
    ComPtr<IXMLDOMNode> child;
    node->get_firstChild(child.Receive());
    while (child) {
        values += WalkNode(child.Get());
        ComPtr<IXMLDOMNode> next;
        child->get_nextSibling(next.Receive());
        child = std::move(next);
    }
    return values;
}

// Makes a document as the module does, has load fill it, and walks it.
template <typename Load>
long LoadAndWalk(Load load) {
    ComApartment apartment;
    ComPtr<IXMLDOMDocument2> document;
    ComPtr<IClassFactory> factory;
    if (!GetXmlDocumentFactory(kDomDocumentClass, factory) || !CreateXmlDocument(factory.Get(), document)) return -1;
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (FAILED(load(document.Get(), &loaded)) || loaded == VARIANT_FALSE) return -1;
    ComPtr<IXMLDOMElement> root;
    if (FAILED(document->get_documentElement(root.Receive())) || !root) return -1;
    return WalkNode(root.Get());
}

}  // namespace

// The module's core, with its string helpers, is not linked into the tests'
// helpers: strings are made with SysAllocString and handed to their owners.
long OneWalkParse(const wchar_t* path) {
    return LoadAndWalk([path](IXMLDOMDocument2* document, VARIANT_BOOL* loaded) {
        ComVariant location;
        V_BSTR(location.Ptr()) = SysAllocString(path);
        V_VT(location.Ptr()) = VT_BSTR;
        return document->load(location.Ref(), loaded);
    });
}

long OneWalkParseText(const wchar_t* text) {
    return LoadAndWalk([text](IXMLDOMDocument2* document, VARIANT_BOOL* loaded) {
        ComString source;
        *source.Receive() = SysAllocString(text);
        return document->loadXML(source.Get(), loaded);
    });
}
