#include "check/catalogue_reading.h"

#include <windows.h>
#include <msxml2.h>

#include "check/deeper_products.h"
#include "check/parse_error_locator.h"
#include "win32/com_owners.h"
#include "xml/xml_document.h"
#include "xml/xml_parser.h"

namespace {

const wchar_t* const kProductAttributes[] = {L"name", L"GUID", L"productType"};
// The registry/file and process attributes the module reads, and the
// spelling of the view attribute it does not read.
const wchar_t* const kMethodAttributes[] = {L"methodType", L"rootKey",    L"subKey",           L"value",
                                            L"binary",     L"binaryType", L"binaryEvironment", L"binaryEnvironment",
                                            L"process"};

template <size_t N>
AttributeTexts ReadAttributes(CXmlNodeWrapper& element, const wchar_t* const (&names)[N]) {
    AttributeTexts attributes;
    for (const wchar_t* name : names) {
        ComString value;
        if (element.GetAttribute(name, value)) attributes[name] = value.Str();
    }
    return attributes;
}

// As the module reads a Detect: its first "Detect" child, serialised and
// parsed again as a document of its own, whose root's "Method" children are
// the methods. What does not survive that round trip is no method.
void ReadMethods(CXmlNodeWrapper& product, ProductEntry& entry) {
    CXmlNodeWrapper detect(product.SelectSingleNode(L"Detect"));
    entry.hasDetect = detect.IsValid();
    ComString xml;
    if (!entry.hasDetect || !detect.GetXml(xml)) return;
    CXmlDocHolder document;
    if (!document.LoadXml(xml.Str().c_str())) return;
    CXmlNodeWrapper root(document.GetRootNode());
    CXmlNodeListWrapper list(root.SelectNodes(L"./Method"));
    const int count = list.GetCount();
    for (int i = 0; i < count; ++i) {
        CXmlNodeWrapper method(list.GetNode(i));
        entry.methods.push_back(MethodEntry{ReadAttributes(method, kMethodAttributes)});
    }
}

void ReadProducts(IXMLDOMDocument2* document, CatalogueEntries& entries) {
    ComPtr<IXMLDOMElement> element;
    if (FAILED(document->get_documentElement(element.Receive())) || !element) return;
    ComPtr<IXMLDOMNode> node;
    if (FAILED(element.QueryInto(IID_IXMLDOMNode, node))) return;
    CXmlNodeWrapper root(node.Detach());
    CXmlNodeListWrapper list(root.SelectNodes(L"./Product"));
    const int count = list.GetCount();
    if (count == 0) entries.productless = DescribeProductlessRoot(element.Get());
    for (int i = 0; i < count; ++i) {
        CXmlNodeWrapper product(list.GetNode(i));
        ProductEntry entry;
        entry.position = static_cast<size_t>(i) + 1;
        entry.attributes = ReadAttributes(product, kProductAttributes);
        ReadMethods(product, entry);
        entries.products.push_back(std::move(entry));
    }
}

// Where and why the parser stopped; a reason ends with a line break.
ParseFailure ReadParseFailure(IXMLDOMDocument2* document) {
    ParseFailure failure;
    ComPtr<IXMLDOMParseError> error;
    if (FAILED(document->get_parseError(error.Receive())) || !error) return failure;
    error->get_line(&failure.line);
    error->get_linepos(&failure.position);
    ComString reason;
    if (SUCCEEDED(error->get_reason(reason.Receive()))) failure.reason = reason.Str();
    while (!failure.reason.empty() && iswspace(failure.reason.back())) failure.reason.pop_back();
    return failure;
}

bool CreateDocument(ComPtr<IXMLDOMDocument2>& document) {
    return CreateXmlDocument(kDomDocumentClass, document) || CreateXmlDocument(kDomDocument26Class, document);
}

}  // namespace

CatalogueEntries ReadCatalogueEntries(const std::wstring& path) {
    CatalogueEntries entries;
    ComPtr<IXMLDOMDocument2> document;
    if (!CreateDocument(document)) return entries;
    // Read as the module reads it: the prolog checked before the parser sees
    // the bytes. A file that can't be read counts as refused, as there.
    switch (LoadXmlFile(document.Get(), path.c_str())) {
        case XmlFileLoad::kLoaded: break;
        case XmlFileLoad::kUnreadable:
        case XmlFileLoad::kPrologRefused: entries.load = CatalogueLoad::kPrologRefused; return entries;
        case XmlFileLoad::kNotWellFormed:
            entries.load = CatalogueLoad::kNotWellFormed;
            entries.failure = ReadParseFailure(document.Get());
            if (entries.failure.line <= 0) LocateParseError(path, entries.failure);
            return entries;
    }
    entries.load = CatalogueLoad::kRead;
    ReadProducts(document.Get(), entries);
    return entries;
}
