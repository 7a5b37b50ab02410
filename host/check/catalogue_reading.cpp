#include "check/catalogue_reading.h"

#include "check/deeper_products.h"
#include "check/parse_error_locator.h"
#include "xml/xml_document.h"

namespace {

const wchar_t* const kRootAttributes[] = {L"serial", L"file"};
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
    CXmlNodeListWrapper(root.SelectNodes(L"./Method")).ForEach([&entry](CXmlNodeWrapper& method) {
        entry.methods.push_back(MethodEntry{ReadAttributes(method, kMethodAttributes)});
    });
}

void ReadProducts(CXmlDocHolder& document, CatalogueEntries& entries) {
    CXmlNodeWrapper root(document.GetRootNode());
    if (!root.IsValid()) return;
    entries.rootAttributes = ReadAttributes(root, kRootAttributes);
    CXmlNodeListWrapper list(root.SelectNodes(L"./Product"));
    if (list.GetCount() == 0) entries.productless = DescribeProductlessRoot(root);
    list.ForEach([&entries](CXmlNodeWrapper& product) {
        ProductEntry entry;
        entry.position = entries.products.size() + 1;
        entry.attributes = ReadAttributes(product, kProductAttributes);
        ReadMethods(product, entry);
        entries.products.push_back(std::move(entry));
    });
}

}  // namespace

CatalogueEntries ReadCatalogueEntries(const std::wstring& path) {
    CatalogueEntries entries;
    CXmlDocHolder document;
    if (!document.HasDocument()) return entries;
    // Read as the module reads it: the prolog checked before the parser sees
    // the bytes. A file that can't be read counts as refused, as there.
    switch (document.LoadFile(path.c_str())) {
        case XmlFileLoad::kLoaded: break;
        case XmlFileLoad::kUnreadable:
        case XmlFileLoad::kPrologRefused: entries.load = CatalogueLoad::kPrologRefused; return entries;
        case XmlFileLoad::kNotWellFormed:
            entries.load = CatalogueLoad::kNotWellFormed;
            entries.failure = document.GetParseFailure();
            if (entries.failure.line <= 0) LocateParseError(path, entries.failure);
            return entries;
    }
    entries.load = CatalogueLoad::kRead;
    ReadProducts(document, entries);
    return entries;
}
