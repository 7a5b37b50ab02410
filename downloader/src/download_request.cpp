#include "download_request.h"

#include <windows.h>
#include <msxml2.h>

#include "com_owners.h"
#include "xml/xml_parser.h"

namespace zqd {
namespace {

std::wstring Trim(const std::wstring& text) {
    const wchar_t* blanks = L" \t\r\n";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::wstring::npos) return std::wstring();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// A parsed document, or an empty pointer when the text is not well formed.
ComPtr<IXMLDOMDocument2> LoadDocument(const wchar_t* text) {
    ComPtr<IXMLDOMDocument2> document;
    if (!CreateXmlDocument(kDomDocumentClass, document)) return document;
    Bstr xml(text);
    if (!ParseXmlText(document.Get(), xml.Get())) document.Reset();
    return document;
}

std::wstring NodeName(IXMLDOMNode* node) {
    Bstr name;
    return SUCCEEDED(node->get_nodeName(name.Receive())) ? name.Str() : std::wstring();
}

std::wstring Attribute(IXMLDOMElement* element, const wchar_t* name) {
    Bstr attributeName(name);
    Variant value;
    if (element->getAttribute(attributeName.Get(), value.Receive()) != S_OK) return std::wstring();
    if (value.Get().vt != VT_BSTR || !value.Get().bstrVal) return std::wstring();
    return std::wstring(value.Get().bstrVal, SysStringLen(value.Get().bstrVal));
}

// The trimmed text of a <url> child element, or empty for any other node.
std::wstring UrlText(IXMLDOMNode* node) {
    DOMNodeType type = NODE_INVALID;
    if (FAILED(node->get_nodeType(&type)) || type != NODE_ELEMENT || NodeName(node) != L"url") return std::wstring();
    Bstr text;
    return SUCCEEDED(node->get_text(text.Receive())) ? Trim(text.Str()) : std::wstring();
}

std::vector<std::wstring> UrlElements(IXMLDOMElement* root) {
    std::vector<std::wstring> urls;
    ComPtr<IXMLDOMNodeList> children;
    long count = 0;
    if (FAILED(root->get_childNodes(children.Receive())) || !children || FAILED(children->get_length(&count)))
        return urls;
    for (long i = 0; i < count; ++i) {
        ComPtr<IXMLDOMNode> child;
        if (children->get_item(i, child.Receive()) != S_OK || !child) continue;
        std::wstring url = UrlText(child.Get());
        if (!url.empty()) urls.push_back(std::move(url));
    }
    return urls;
}

std::optional<DownloadRequest> ReadRequest(const wchar_t* text) {
    ComPtr<IXMLDOMDocument2> document = LoadDocument(text);
    ComPtr<IXMLDOMElement> root;
    if (!document || document->get_documentElement(root.Receive()) != S_OK || !root) return std::nullopt;
    if (NodeName(root.Get()) != L"InsideParam") return std::nullopt;

    DownloadRequest request;
    request.targetPath = Attribute(root.Get(), L"filepath");
    request.md5 = Trim(Attribute(root.Get(), L"MD5"));
    request.urls = UrlElements(root.Get());
    if (request.targetPath.empty() || request.urls.empty()) return std::nullopt;
    return request;
}

}  // namespace

std::optional<DownloadRequest> ParseDownloadRequest(const wchar_t* document) {
    if (!document) return std::nullopt;
    // The apartment outlives every interface pointer created in ReadRequest.
    ComApartment apartment;
    return ReadRequest(document);
}

}  // namespace zqd
