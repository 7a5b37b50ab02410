#include <cwchar>

#include "plugin/plugin_object.h"
#include "xml/xml_document.h"

namespace {

struct Request {
    std::wstring id;
    std::wstring cmd;
    uint32_t param = 0;
    std::wstring version;
};

Request ReadRequest(CXmlNodeWrapper& root) {
    Request request;
    request.id = AttributeText(root, L"id");
    request.cmd = AttributeText(root, L"cmd");
    request.param = static_cast<uint32_t>(wcstoul(AttributeText(root, L"Param", L"0").c_str(), nullptr, 10));
    request.version = AttributeText(root, L"version");
    return request;
}

void AddResultItem(CXmlNodeWrapper& result, const ProductRecord& record, uint32_t group) {
    CXmlNodeWrapper item(result.AppendChildElement(L"Item"));
    item.SetAttribute(L"itemName", record.name.c_str());
    item.SetAttribute(L"itemGUID", record.guid.c_str());
    item.SetAttribute(L"isInstalled", std::to_wstring(record.installed).c_str());
    item.SetAttribute(L"itemType", std::to_wstring(static_cast<int32_t>(group)).c_str());
}

}  // namespace

bool CPluginObject::ProcessRequest(const wchar_t* requestText, std::wstring& response, int& status) {
    CXmlDocHolder document;
    if (!document.LoadXml(requestText)) return false;
    CXmlNodeWrapper root(document.GetRootNode());
    const Request request = ReadRequest(root);
    // Any other command, or none, does no work and answers with status 1.
    if (_wcsicmp(request.cmd.c_str(), L"QUERY") == 0) {
        if (request.param & 1) m_productManager.RefreshCatalogue(1);
        m_productManager.RunDetection();
        if (BuildResponse(request.id, request.version, response)) status = 0;
    }
    return true;
}

bool CPluginObject::BuildResponse(const std::wstring& id, const std::wstring& version, std::wstring& response) {
    CXmlDocHolder document;
    document.LoadXml(L"<Response/>");
    CXmlNodeWrapper root(document.GetRootNode());
    root.SetAttribute(L"id", id.c_str());
    root.SetAttribute(L"cmd", L"QUERY");
    root.SetAttribute(L"version", version.c_str());
    root.SetAttribute(L"state", L"0");

    ProductPosition position;
    uint32_t group = 0;
    if (m_productManager.GetFirstProduct(position, group)) {
        CXmlNodeWrapper result(root.AppendChildElement(L"Result"));
        while (const ProductRecord* record = m_productManager.GetNextProduct(position, group)) {
            if (group <= 1 && record->installed == 0) AppendReportItem(0, record->name);
            AddResultItem(result, *record, group);
        }
    }
    ComString xml;
    if (!document.GetXml(xml)) return false;
    response = xml.Str();
    return true;
}
