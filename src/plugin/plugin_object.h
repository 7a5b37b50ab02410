#pragma once
// The plug-in object the host drives: it owns one catalogue, the report
// template's items and the report text that grows with every "QUERY".
#include <cstdint>
#include <map>
#include <string>

#include "catalogue/product_manager.h"
#include "wareseek/plugin_api.h"

class CPluginObject final : public IPCCheckPluginObject {
public:
    CPluginObject();

    // The four host-facing operations. None lets an exception reach the host.
    int RegisterCallback(HostCallback callback, HostContext* context) override;
    int HandleRequest(const wchar_t* request) override;
    void Release() override;
    void Reserved() override;

    // Writes the "Response" document for the current records into response and
    // appends a report item for every missing product of groups 0 and 1.
    bool BuildResponse(const std::wstring& id, const std::wstring& version, std::wstring& response);

    // Reads config\reporttempl.xml beside the module into m_reportItems.
    int32_t LoadReportTemplate();
    int32_t LoadReportTemplateFile(const std::wstring& path);
    // Appends the item stored under key, filled with name, to m_reportText.
    void AppendReportItem(uint32_t key, std::wstring name);

    ProductManager& Products() { return m_productManager; }
    const std::map<uint32_t, std::wstring>& ReportItems() const { return m_reportItems; }
    const std::wstring& ReportText() const { return m_reportText; }

private:
    ~CPluginObject() = default;  // ends only through Release
    // Loads the request and, for "QUERY", refreshes, detects and builds the
    // response. False when the text is not XML.
    bool ProcessRequest(const wchar_t* requestText, std::wstring& response, int& status);

    ProductManager m_productManager;
    std::map<uint32_t, std::wstring> m_reportItems;
    HostContext* m_hostContext = nullptr;
    HostCallback m_callback = nullptr;
    std::wstring m_reportText;
};
