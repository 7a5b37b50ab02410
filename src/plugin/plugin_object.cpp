#include "plugin/plugin_object.h"

#include "support/debug_log.h"

CPluginObject::CPluginObject() { LoadReportTemplate(); }

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
    try {
        return HandleRequestUnguarded(request);
    } catch (...) {
        // Out of memory: report the request as not handled, call nothing back.
        CMLog::GetInstance().Log(L"request abandoned: out of memory");
        return 1;
    }
}

void CPluginObject::Release() {
    try {
        delete this;
    } catch (...) {
    }
}

void CPluginObject::Reserved() {}
