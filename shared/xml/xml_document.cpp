#include "xml/xml_document.h"

#include <cwchar>

#include "xml/child_elements.h"
#include "win32/win_owners.h"
#include "text/text_trim.h"
#include "xml/document_setup.h"

namespace {

const IID kIidXmlDomElement = {0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// The factory of the outermost holder alive on this thread, if any. Kept in
// a slot of the module's own, given back when the module unloads: a compiler
// thread_local would take a slot that stays taken for the life of the process,
// and a host may load and free the module any number of times.
UniqueTlsSlot& OuterFactorySlot() {
    static UniqueTlsSlot slot(TlsAlloc());
    return slot;
}

IClassFactory* OuterFactory() {
    const UniqueTlsSlot& slot = OuterFactorySlot();
    return slot ? static_cast<IClassFactory*>(TlsGetValue(slot.Get())) : nullptr;
}

void SetOuterFactory(IClassFactory* factory) {
    const UniqueTlsSlot& slot = OuterFactorySlot();
    if (slot) TlsSetValue(slot.Get(), factory);
}

// A selection as MSXML's engine answers it: a path of a plain child name by
// walking the children, which costs far less, any other through the engine.
template <typename Result, typename ByName, typename ByEngine>
Result* Select(IXMLDOMElement* element, const wchar_t* xpath, ByName byName, ByEngine byEngine) {
    const std::wstring_view name = ChildElementName(xpath);
    if (!name.empty()) return byName(element, name);
    ComString expression(xpath);
    Result* result = nullptr;
    if (FAILED(byEngine(element, expression.Get(), &result))) return nullptr;
    return result;
}

}  // namespace

CXmlDocHolder::DocumentFactory::DocumentFactory() noexcept : m_lent(OuterFactory()) {}

CXmlDocHolder::DocumentFactory::~DocumentFactory() {
    if (m_own && OuterFactory() == m_own.Get()) SetOuterFactory(nullptr);
}

// The lent factory first; otherwise DOMDocument, and DOMDocument 2.6 when that
// class is missing or makes no document. The factory that made one is kept,
// and lent on when no holder outside this one has lent one.
bool CXmlDocHolder::DocumentFactory::Create(ComPtr<IXMLDOMDocument2>& document) noexcept {
    if (m_lent && CreateXmlDocument(m_lent, document)) return true;
    for (const CLSID* documentClass : {&kDomDocumentClass, &kDomDocument26Class}) {
        if (GetXmlDocumentFactory(*documentClass, m_own) && CreateXmlDocument(m_own.Get(), document)) {
            if (!OuterFactory()) SetOuterFactory(m_own.Get());
            return true;
        }
    }
    m_own.Reset();
    return false;
}

CXmlDocHolder::CXmlDocHolder() {
    m_factory.Create(m_pDoc);
}

CXmlDocHolder::~CXmlDocHolder() = default;  // the document goes before COM does

bool CXmlDocHolder::LoadXml(const wchar_t* text) {
    if (!m_pDoc || !text) return false;
    ComString source(text);
    return ParseXmlText(m_pDoc.Get(), source.Get());
}

bool CXmlDocHolder::Load(const wchar_t* path) {
    return LoadFile(path) == XmlFileLoad::kLoaded;
}

XmlFileLoad CXmlDocHolder::LoadFile(const wchar_t* path) {
    return m_pDoc ? LoadXmlFile(m_pDoc.Get(), path) : XmlFileLoad::kUnreadable;
}

XmlFileLoad CXmlDocHolder::LoadBytes(const std::string& bytes) {
    return m_pDoc ? LoadXmlBytes(m_pDoc.Get(), bytes) : XmlFileLoad::kUnreadable;
}

XmlParseFailure CXmlDocHolder::GetParseFailure() {
    XmlParseFailure failure;
    ComPtr<IXMLDOMParseError> error;
    if (!m_pDoc || FAILED(m_pDoc->get_parseError(error.Receive())) || !error) return failure;
    error->get_line(&failure.line);
    error->get_linepos(&failure.position);
    ComString reason;
    if (SUCCEEDED(error->get_reason(reason.Receive()))) failure.reason = TrimmedText(reason.Str());
    return failure;
}

IXMLDOMNode* CXmlDocHolder::GetRootNode() {
    if (!m_pDoc) return nullptr;
    ComPtr<IXMLDOMElement> element;
    if (FAILED(m_pDoc->get_documentElement(element.Receive())) || !element) return nullptr;
    // The root element as a node: what selecting "." on it gives.
    IXMLDOMNode* node = nullptr;
    if (FAILED(element->QueryInterface(IID_IXMLDOMNode, reinterpret_cast<void**>(&node)))) return nullptr;
    return node;
}

bool CXmlDocHolder::GetXml(ComString& out) {
    if (!m_pDoc) return false;
    ComString xml;
    HRESULT hr = m_pDoc->get_xml(xml.Receive());
    out.Assign(xml.Get());
    return SUCCEEDED(hr);
}

bool CXmlNodeWrapper::Element(ComPtr<IXMLDOMElement>& element) const {
    return SUCCEEDED(m_pNode.QueryInto(kIidXmlDomElement, element)) && element;
}

std::wstring CXmlNodeWrapper::GetName() {
    ComString name;
    if (!m_pNode || FAILED(m_pNode->get_nodeName(name.Receive()))) return std::wstring();
    return name.Str();
}

IXMLDOMNode* CXmlNodeWrapper::GetParentElement() {
    ComPtr<IXMLDOMNode> parent;
    DOMNodeType type = NODE_INVALID;
    if (!m_pNode || FAILED(m_pNode->get_parentNode(parent.Receive())) || !parent ||
        FAILED(parent->get_nodeType(&type)) || type != NODE_ELEMENT) {
        return nullptr;
    }
    return parent.Detach();
}

bool CXmlNodeWrapper::GetAttribute(const wchar_t* name, ComString& out) {
    ComPtr<IXMLDOMElement> element;
    if (!Element(element)) return false;
    ComString attributeName(name);
    ComVariant value;
    HRESULT hr = element->getAttribute(attributeName.Get(), value.Ptr());
    if (FAILED(hr) || V_VT(value.Ptr()) != VT_BSTR) return false;
    out.Assign(V_BSTR(value.Ptr()) ? V_BSTR(value.Ptr()) : L"");
    return true;
}

bool CXmlNodeWrapper::GetAttributeString(const wchar_t* name, ComString& out, const wchar_t* def) {
    if (GetAttribute(name, out)) return true;
    out.Assign(def);
    return false;
}

int CXmlNodeWrapper::GetAttributeBool(const wchar_t* name, int def) {
    ComString value;
    if (!GetAttribute(name, value)) return def;
    const wchar_t* text = value.IsNull() ? L"" : value.Get();
    return (_wcsicmp(text, L"true") == 0 || _wcsicmp(text, L"1") == 0) ? 1 : 0;
}

uint32_t CXmlNodeWrapper::GetAttributeUInt(const wchar_t* name, uint32_t def) {
    ComString value;
    if (!GetAttribute(name, value)) return def;
    return value.IsNull() ? 0 : static_cast<uint32_t>(wcstoul(value.Get(), nullptr, 10));
}

bool CXmlNodeWrapper::SetAttribute(const wchar_t* name, const wchar_t* value) {
    ComPtr<IXMLDOMElement> element;
    if (!Element(element)) return false;
    ComVariant text;
    ComVariant::SetString(text.Ref(), value);
    ComString attributeName(name);
    return SUCCEEDED(element->setAttribute(attributeName.Get(), text.Ref()));
}

bool CXmlNodeWrapper::GetText(ComString& out) {
    ComPtr<IXMLDOMElement> element;
    ComString text;
    if (Element(element) && SUCCEEDED(element->get_text(text.Receive()))) {
        out.Assign(text.IsNull() ? L"" : text.Get());
        return true;
    }
    out.Assign(L"");
    return false;
}

bool CXmlNodeWrapper::GetXml(ComString& out) {
    ComPtr<IXMLDOMElement> element;
    if (!Element(element)) return false;
    ComString xml;
    HRESULT hr = element->get_xml(xml.Receive());
    out.Assign(xml.Get());
    return SUCCEEDED(hr);
}

IXMLDOMNode* CXmlNodeWrapper::AppendChildElement(const wchar_t* tag) {
    ComPtr<IXMLDOMElement> element;
    if (!Element(element)) return nullptr;
    ComPtr<IXMLDOMDocument> document;
    if (FAILED(element->get_ownerDocument(document.Receive())) || !document) return nullptr;
    ComString tagName(tag);
    ComPtr<IXMLDOMElement> created;
    if (FAILED(document->createElement(tagName.Get(), created.Receive())) || !created) return nullptr;
    IXMLDOMNode* appended = nullptr;
    if (FAILED(element->appendChild(created.Get(), &appended))) return nullptr;
    return appended;
}

IXMLDOMNode* CXmlNodeWrapper::SelectSingleNode(const wchar_t* xpath) {
    ComPtr<IXMLDOMElement> element;
    if (!Element(element)) return nullptr;
    return Select<IXMLDOMNode>(element.Get(), xpath, &FirstChildElement,
                               [](IXMLDOMElement* e, BSTR path, IXMLDOMNode** out) {
                                   return e->selectSingleNode(path, out);
                               });
}

IXMLDOMNodeList* CXmlNodeWrapper::SelectNodes(const wchar_t* xpath) {
    ComPtr<IXMLDOMElement> element;
    if (!Element(element)) return nullptr;
    return Select<IXMLDOMNodeList>(element.Get(), xpath, &ChildElements,
                                   [](IXMLDOMElement* e, BSTR path, IXMLDOMNodeList** out) {
                                       return e->selectNodes(path, out);
                                   });
}

int CXmlNodeListWrapper::GetCount() {
    long length = 0;
    if (!m_pList || FAILED(m_pList->get_length(&length))) return 0;
    return static_cast<int>(length);
}

IXMLDOMNode* CXmlNodeListWrapper::GetNode(int index) {
    if (!m_pList || index < 0) return nullptr;
    IXMLDOMNode* node = nullptr;
    if (FAILED(m_pList->get_item(index, &node))) return nullptr;
    return node;
}

std::wstring ElementText(CXmlNodeWrapper& node) {
    ComString text;
    node.GetText(text);
    return text.Str();
}

std::wstring AttributeText(CXmlNodeWrapper& node, const wchar_t* name, const wchar_t* def) {
    ComString value;
    node.GetAttributeString(name, value, def);
    return value.Str();
}
