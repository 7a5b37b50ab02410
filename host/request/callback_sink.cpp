#include "request/callback_sink.h"

#include <utility>

namespace {

// Marks a context as one of this host's ("WSHC").
const DWORD kHostCookie = 0x57534843;

unsigned g_strayCalls = 0;

}  // namespace

CallbackSink::CallbackSink() : m_record{{kHostCookie, 0}, this} {}

std::vector<Delivery> CallbackSink::Take() {
    std::vector<Delivery> taken;
    taken.swap(m_deliveries);
    return taken;
}

int __cdecl CallbackSink::Receive(int pluginId, int status, const wchar_t* response, const wchar_t* report,
                                  HostContext* context) {
    if (!context || context->hostCookie != kHostCookie) {
        ++g_strayCalls;
        return 0;
    }
    // No exception may cross into the module.
    try {
        Delivery delivery;
        delivery.pluginId = pluginId;
        delivery.status = status;
        delivery.responseNull = response == nullptr;
        delivery.reportNull = report == nullptr;
        if (response) delivery.response = response;
        if (report) delivery.report = report;
        reinterpret_cast<Record*>(context)->sink->m_deliveries.push_back(std::move(delivery));
    } catch (...) {
    }
    return 0;
}

unsigned StrayCallbackCount() noexcept {
    return g_strayCalls;
}
