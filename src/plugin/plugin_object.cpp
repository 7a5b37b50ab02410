#include "plugin/plugin_object.h"

#include "plugin/plugin_id.h"
#include "support/debug_log.h"

CPluginObject::CPluginObject() {
    LoadReportTemplate();
}

int CPluginObject::RegisterCallback(HostCallback callback, HostContext* context) {
    try {
        m_productManager.RefreshCatalogue(0);
    } catch (...) {
        // Out of memory mid-load: no half-read catalogue is kept.
        m_productManager.Clear();
    }
    if (callback) m_callback = callback;
    m_hostContext = context;
    if (context) m_productManager.hostParam = context->hostParam;
    return 1;
}

int CPluginObject::HandleRequest(const wchar_t* request) {
    std::wstring response;
    int status = 1;
    try {
        if (!ProcessRequest(request, response, status)) return 1;
    } catch (...) {
        // Out of memory: no half-read catalogue is kept, nothing is called back.
        m_productManager.Clear();
        CMLog::GetInstance().Log(L"request abandoned: out of memory");
        return 1;
    }
    // The host's own callback runs outside the guard: its exceptions are its own.
    if (m_callback) m_callback(PLUGIN_ID, status, response.c_str(), m_reportText.c_str(), m_hostContext);
    return 0;
}

void CPluginObject::Release() {
    try {
        delete this;
    } catch (...) {
    }
}

void CPluginObject::Reserved() {}
