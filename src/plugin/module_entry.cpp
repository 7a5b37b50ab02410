// The library's entry points: DllMain and the one export.
#include <windows.h>

#include <new>

#include "plugin/plugin_id.h"
#include "plugin/plugin_object.h"
#include "log/debug_log.h"
#include "support/module_path.h"

// Runs under the loader lock: nothing here may load libraries, read the
// registry or call the shell, so the log is set up on first use instead.
extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) RememberModule(self);
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT __cdecl PIQueryInterface(int interfaceId, IPCCheckPluginObject** object) {
    CMLog::GetInstance();  // the host's first call sets the log up
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
