#include "bare_platform.h"

#include <windows.h>
#include <msxml2.h>

#include "support/com_apartment.h"
#include "support/com_owners.h"
#include "support/xml_parser.h"

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

long WalkRoot(IXMLDOMDocument2* document) {
    ComPtr<IXMLDOMElement> root;
    if (FAILED(document->get_documentElement(root.Receive())) || !root) return -1;
    return WalkNode(root.Get());
}

}  // namespace

// The module's core, with its string helpers, is not linked into the tests'
// helpers: strings are made with SysAllocString and handed to their owners.
long OneWalkParse(const wchar_t* path) {
    ComApartment apartment;
    ComPtr<IXMLDOMDocument2> document;
    if (!CreateXmlDocument(kDomDocumentClass, document)) return -1;
    ComVariant location;
    V_BSTR(location.Ptr()) = SysAllocString(path);
    V_VT(location.Ptr()) = VT_BSTR;
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (FAILED(document->load(location.Ref(), &loaded)) || loaded == VARIANT_FALSE) return -1;
    return WalkRoot(document.Get());
}

long OneWalkParseText(const wchar_t* text) {
    ComApartment apartment;
    ComPtr<IXMLDOMDocument2> document;
    if (!CreateXmlDocument(kDomDocumentClass, document)) return -1;
    ComString source;
    *source.Receive() = SysAllocString(text);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (FAILED(document->loadXML(source.Get(), &loaded)) || loaded == VARIANT_FALSE) return -1;
    return WalkRoot(document.Get());
}
