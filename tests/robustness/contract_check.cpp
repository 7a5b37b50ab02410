#include "contract_check.h"

#include <set>

#include "xml/xml_document.h"

namespace {

using Problems = std::vector<std::string>;

bool KnownName(const RobustCase& robustCase, const std::wstring& guid, const std::wstring& name) {
    for (const KnownProduct& product : robustCase.products)
        if (product.guid == guid && product.name == name) return true;
    return false;
}

void CheckItems(const RobustCase& robustCase, CXmlNodeWrapper& root, Problems& problems) {
    CXmlNodeWrapper result(root.SelectSingleNode(L"Result"));
    CXmlNodeListWrapper items(result.SelectNodes(L"Item"));
    std::set<std::wstring> seen;
    for (int i = 0; i < items.GetCount(); ++i) {
        CXmlNodeWrapper item(items.GetNode(i));
        const std::wstring guid = AttributeText(item, L"itemGUID", L"(none)");
        const std::wstring installed = AttributeText(item, L"isInstalled");
        if (!seen.insert(guid + L"|" + AttributeText(item, L"itemType")).second)
            problems.push_back("a product is listed twice");
        ++Totals().items;
        if (installed == L"1") ++Totals().installed;
        if (installed != L"0" && installed != L"1") problems.push_back("isInstalled is neither 0 nor 1");
        if (robustCase.namesKnown && !KnownName(robustCase, guid, AttributeText(item, L"itemName")))
            problems.push_back("a listed name or GUID differs from the catalogue's");
    }
}

void CheckResponse(const RobustCase& robustCase, const std::wstring& response, Problems& problems) {
    CXmlDocHolder document;
    if (!document.LoadXml(response.c_str())) {
        problems.push_back("status 0 with a response that is not XML");
        return;
    }
    ++Totals().responses;
    // The element's own name: Windows' MSXML 3 selects with XSL patterns by
    // default, which know no XPath axes such as self::.
    IXMLDOMNode* const rootNode = document.GetRootNode();
    CXmlNodeWrapper root(rootNode);
    ComString name;
    if (!rootNode || FAILED(rootNode->get_nodeName(name.Receive())) || name.Str() != L"Response")
        problems.push_back("status 0 with a document that is not a Response");
    CheckItems(robustCase, root, problems);
}

void CheckReport(const std::wstring& report, Problems& problems) {
    CXmlDocHolder document;
    if (!document.LoadXml((L"<report>" + report + L"</report>").c_str()))
        problems.push_back("the report is not well-formed XML");
}

void CheckCall(const RobustCase& robustCase, const CallbackCall& call, const HostContext* context,
               Problems& problems) {
    if (call.pluginId != WARESEEK_PLUGIN_ID) problems.push_back("callback with another plug-in number");
    if (call.context != context) problems.push_back("callback with another context");
    if (call.status == 0) CheckResponse(robustCase, call.response, problems);
    else if (call.status != 1) problems.push_back("callback status is neither 0 nor 1");
    else if (!call.response.empty()) problems.push_back("status 1 with a response");
    CheckReport(call.report, problems);
}

}  // namespace

ContractTotals& Totals() {
    static ContractTotals totals;
    return totals;
}

Problems CheckOutcomes(const RobustCase& robustCase, const std::vector<RequestOutcome>& outcomes,
                       const HostContext* context) {
    Problems problems;
    for (const RequestOutcome& outcome : outcomes) {
        if (outcome.returned != 0 && outcome.returned != 1)
            problems.push_back("HandleRequest returned " + std::to_string(outcome.returned));
        if (outcome.returned == 1 && !outcome.calls.empty()) problems.push_back("a callback for a text that is not XML");
        if (outcome.returned == 0 && outcome.calls.size() != 1)
            problems.push_back("a handled request gave " + std::to_string(outcome.calls.size()) + " callbacks");
        for (const CallbackCall& call : outcome.calls) CheckCall(robustCase, call, context, problems);
    }
    return problems;
}
