// The library's entry points: load-time set-up of the log and the one export.
#include <windows.h>

#include <new>

#include "plugin/plugin_id.h"
#include "plugin/plugin_object.h"
#include "support/debug_log.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) CMLog::GetInstance().Init();
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT __cdecl PIQueryInterface(int interfaceId, IPCCheckPluginObject** object) {
    if (interfaceId != PLUGIN_ID) return E_NOINTERFACE;
    if (!object) return E_NOINTERFACE;
    try {
        *object = new CPluginObject();
        return S_OK;
    } catch (...) {
        // No exception may reach a host built by another compiler.
        *object = nullptr;
        return E_NOINTERFACE;
    }
}
