#include "plugin/plugin_object.h"

#include "plugin/plugin_id.h"
#include "log/debug_log.h"

CPluginObject::CPluginObject() {
    LoadReportTemplate();
}

int CPluginObject::RegisterCallback(HostCallback callback, HostContext* context) {
    try {
        m_productManager.RefreshCatalogue(0);
    } catch (...) {
        // Out of memory mid-load: the load has already let go of what it read.
    }
    if (callback) m_callback = callback;
    m_hostContext = context;
    if (context) m_productManager.hostParam = context->hostParam;
    return 1;
}

int CPluginObject::HandleRequest(const wchar_t* request) {
    std::wstring response;
    std::wstring report;
    int status = 1;
    const size_t reportLength = m_reportText.size();
    try {
        if (!ProcessRequest(request, response, status)) return 1;
        // The callback reads a copy: a request the host sends from inside its
        // callback appends to m_reportText (and may move it), and an object
        // released there takes it along, while the outer callback's texts must
        // stay valid and unchanged until it returns.
        report = m_reportText;
    } catch (...) {
        // Out of memory: nothing is called back, and the report loses the items
        // of the response that was never delivered. The catalogue stays as it
        // is; a load that failed half-way has already emptied it.
        m_reportText.resize(reportLength);
        CMLog::GetInstance().Log(L"request abandoned: out of memory");
        return 1;
    }
    // The host's own callback runs outside the guard: its exceptions are its
    // own. Nothing of the object is touched once it has returned.
    if (m_callback) m_callback(PLUGIN_ID, status, response.c_str(), report.c_str(), m_hostContext);
    return 0;
}

void CPluginObject::Release() {
    try {
        delete this;
    } catch (...) {
    }
}

void CPluginObject::Reserved() {}
