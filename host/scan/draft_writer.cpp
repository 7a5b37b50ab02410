#include "scan/draft_writer.h"

#include "scan/xml_chars.h"
#include "xml/xml_escape.h"

namespace {

std::wstring Attribute(const wchar_t* name, const std::wstring& value) {
    return std::wstring(L" ") + name + L"=\"" + XmlEscape(XmlCharacters(value)) + L"\"";
}

std::wstring MethodElement(const DetectMethod& method) {
    const std::vector<std::wstring>& params = method.params;
    return L"      <Method methodType=\"0\"" + Attribute(L"rootKey", params[kParamRootKey]) +
           Attribute(L"subKey", params[kParamSubKey]) + Attribute(L"value", params[kParamValue]) +
           Attribute(L"binary", params[kParamBinary]) + Attribute(L"binaryType", params[kParamBinaryType]) +
           Attribute(L"binaryEvironment", params[kParamBinaryEnvironment]) + L"/>\r\n";
}

std::wstring ProductElement(const DraftEntry& entry) {
    std::wstring text = L"  <Product" + Attribute(L"name", entry.name) + Attribute(L"GUID", entry.guid) +
                        L" productType=\"0\" category=\"0\">\r\n";
    if (!entry.version.empty()) text += L"    <Version>" + XmlEscape(XmlCharacters(entry.version)) + L"</Version>\r\n";
    text += L"    <Detect>\r\n";
    for (const DetectMethod& method : entry.methods) text += MethodElement(method);
    return text + L"    </Detect>\r\n  </Product>\r\n";
}

std::wstring LeftOutComment(const DraftEntry& entry) {
    return L"  <!-- left out: \"" + CommentText(entry.name) + L"\" (" + CommentText(entry.where) + L"): " +
           CommentText(entry.leftOutReason) + L" -->\r\n";
}

}  // namespace

std::wstring DraftCatalogueText(const std::vector<DraftEntry>& entries) {
    std::wstring text =
        L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
        L"<!-- Draft catalogue of the programs installed here, made by the host's scan mode: every method below\r\n"
        L"     found its program when the draft was made. Review names, productType and category before shipping. "
        L"-->\r\n"
        L"<Products>\r\n";
    for (const DraftEntry& entry : entries)
        text += entry.methods.empty() ? LeftOutComment(entry) : ProductElement(entry);
    return text + L"</Products>\r\n";
}
