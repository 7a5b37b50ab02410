#pragma once
// Collects what the module's callback delivers. The module hands back the
// HostContext registered with it; the sink finds itself from that pointer.
#include <string>
#include <vector>

#include "wareseek/plugin_api.h"

// One call of the callback, with the module's texts copied (they live only
// during the call).
struct Delivery {
    int pluginId = 0;
    int status = 0;
    std::wstring response;
    std::wstring report;
    bool responseNull = false;
    bool reportNull = false;
};

class CallbackSink {
public:
    CallbackSink();
    CallbackSink(const CallbackSink&) = delete;
    CallbackSink& operator=(const CallbackSink&) = delete;

    // The context to register; the module reads its hostParam field.
    HostContext* Context() noexcept { return &m_record.context; }
    static HostCallback Callback() noexcept { return &Receive; }

    // The deliveries since the last call, oldest first; the sink starts empty again.
    std::vector<Delivery> Take();

private:
    // The registered block: standard layout with the context first, so the
    // context pointer converts back to the block.
    struct Record {
        HostContext context;
        CallbackSink* sink;
    };

    static int __cdecl Receive(int pluginId, int status, const wchar_t* response, const wchar_t* report,
                               HostContext* context);

    Record m_record;
    std::vector<Delivery> m_deliveries;
};

// Calls that arrived without a context this host registered; their texts are
// not kept.
unsigned StrayCallbackCount() noexcept;
