#include "request/xml_reader.h"

#include <msxml2.h>
#include <oleauto.h>

#include "win32/com_ptr.h"
#include "xml/xml_parser.h"

namespace {

// Owns one BSTR.
class BStr {
public:
    BStr() = default;
    explicit BStr(const std::wstring& text) : m_str(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~BStr() { SysFreeString(m_str); }
    BStr(const BStr&) = delete;
    BStr& operator=(const BStr&) = delete;

    BSTR Get() const noexcept { return m_str; }
    BSTR* Receive() noexcept { return &m_str; }
    std::wstring Str() const { return m_str ? std::wstring(m_str, SysStringLen(m_str)) : std::wstring(); }

private:
    BSTR m_str = nullptr;
};

XmlElement ReadAttributes(IXMLDOMNode* node) {
    XmlElement element;
    ComPtr<IXMLDOMNamedNodeMap> attributes;
    if (FAILED(node->get_attributes(attributes.Receive())) || !attributes) return element;
    long count = 0;
    attributes->get_length(&count);
    for (long i = 0; i < count; ++i) {
        ComPtr<IXMLDOMNode> attribute;
        if (attributes->get_item(i, attribute.Receive()) != S_OK || !attribute) continue;
        BStr name, value;
        attribute->get_nodeName(name.Receive());
        attribute->get_text(value.Receive());
        element.attributes[name.Str()] = value.Str();
    }
    return element;
}

// Older MSXML defaults to its own pattern language; queries here are XPath.
void SelectXPath(IXMLDOMDocument2* document) {
    const BStr name(L"SelectionLanguage");
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = SysAllocString(L"XPath");
    document->setProperty(name.Get(), value);
    VariantClear(&value);
}

}  // namespace

std::wstring XmlElement::Get(const wchar_t* name) const {
    const auto found = attributes.find(name);
    return found == attributes.end() ? std::wstring() : found->second;
}

XmlResult SelectElements(const std::wstring& text, const wchar_t* xpath, std::vector<XmlElement>& elements) {
    ComPtr<IXMLDOMDocument2> document;
    if (!CreateXmlDocument(kDomDocumentClass, document)) return XmlResult::NoParser;
    SelectXPath(document.Get());
    const BStr source(text);
    if (!ParseXmlText(document.Get(), source.Get())) return XmlResult::NotXml;

    ComPtr<IXMLDOMNodeList> nodes;
    const BStr query(xpath);
    if (FAILED(document->selectNodes(query.Get(), nodes.Receive())) || !nodes) return XmlResult::NotXml;
    std::vector<XmlElement> found;
    long count = 0;
    nodes->get_length(&count);
    for (long i = 0; i < count; ++i) {
        ComPtr<IXMLDOMNode> node;
        if (nodes->get_item(i, node.Receive()) == S_OK && node) found.push_back(ReadAttributes(node.Get()));
    }
    elements.swap(found);
    return XmlResult::Ok;
}
