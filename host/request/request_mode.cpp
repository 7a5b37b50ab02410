#include "request/request_mode.h"

#include <string>
#include <vector>

#include "exit_codes.h"
#include "request/callback_sink.h"
#include "request/delivery_view.h"
#include "request/module_loader.h"
#include "request/module_version.h"
#include "utf8_output.h"

namespace {

void WriteLines(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (const std::wstring& line : lines) text += line + L"\r\n";
    WriteOut(text);
}

// Sends one request; false when the module answered that it is not XML.
bool SendRequest(IPCCheckPluginObject* object, const std::wstring& request, unsigned long number, CallbackSink& sink,
                 bool raw) {
    const int handled = object->HandleRequest(request.c_str());
    const std::vector<Delivery> deliveries = sink.Take();
    const std::wstring label = L"Request " + std::to_wstring(number);
    if (handled == 1) {
        WriteErrorLine(label + L": the module did not accept the request: it is not XML (HandleRequest returned 1)");
        return false;
    }
    if (handled != 0) WriteOut(label + L": note: HandleRequest returned " + std::to_wstring(handled) + L"\r\n");
    if (deliveries.empty()) WriteOut(label + L": the module did not call back\r\n");
    for (const Delivery& delivery : deliveries) WriteLines(DescribeDelivery(delivery, number, raw));
    return true;
}

}  // namespace

int RunRequests(const HostOptions& options) {
    const std::wstring path = options.modulePath.empty() ? DefaultModulePath() : options.modulePath;
    CallbackSink sink;  // outlives the object, which may call back until released
    LoadedPlugin plugin;
    std::wstring error;
    const HostExitCode loaded = LoadPlugin(path, plugin, error);
    if (loaded != kExitOk) {
        WriteErrorLine(error);
        return loaded;
    }
    WriteOut(L"Module: " + path + ModuleVersionNote(path) + L"\r\n");
    const int registered = plugin.object->RegisterCallback(CallbackSink::Callback(), sink.Context());
    if (registered != 1) WriteOut(L"note: RegisterCallback returned " + std::to_wstring(registered) + L"\r\n");

    const std::wstring request = RequestText(options);
    for (unsigned long number = 1; number <= options.repeat; ++number) {
        if (!SendRequest(plugin.object.Get(), request, number, sink, options.raw)) return kExitNotXml;
    }
    if (StrayCallbackCount() != 0) {
        WriteOut(L"note: " + std::to_wstring(StrayCallbackCount()) +
                 L" callback(s) came without this host's context\r\n");
    }
    return kExitOk;
}
