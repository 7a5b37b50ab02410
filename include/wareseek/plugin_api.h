/*
 * Wareseek plug-in contract: everything a host needs to load wareseek.dll and
 * drive its plug-in object. Compiles as C and as C++ (MinGW and MSVC).
 *
 * Use:
 *   1. LoadLibraryW the module and GetProcAddress "PIQueryInterface".
 *   2. PIQueryInterface(WARESEEK_PLUGIN_ID, &object): S_OK gives a new object;
 *      any other interface number gives E_NOINTERFACE.
 *   3. object->RegisterCallback(callback, &context): re-reads the catalogue and
 *      stores the callback (a null callback keeps the earlier one) and context.
 *   4. object->HandleRequest(L"<Request cmd=\"QUERY\" Param=\"0\" id=\"1\" version=\"1\"/>"):
 *      answers through the callback before it returns; returns 1 when the text
 *      is not XML. Param bit 0 asks for a catalogue download first.
 *   5. object->Release() ends the object.
 *
 * Calling conventions: the export and the callback are plain __cdecl C
 * functions; the four operations are C++ virtual functions (thiscall on x86)
 * in the slot order below, with no virtual destructor. A C host calls slot N
 * of the vtable with the object pointer as the thiscall "this".
 */
#ifndef WARESEEK_PLUGIN_API_H
#define WARESEEK_PLUGIN_API_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The plug-in's number: the only interface number PIQueryInterface accepts and
 * the first argument of every callback. */
#define WARESEEK_PLUGIN_ID 13

/* Host-owned record handed back unchanged as the callback's last argument. The
 * module reads only its second 32-bit field; the rest is the host's. */
typedef struct HostContext {
    DWORD hostCookie;
    DWORD hostParam;
} HostContext;

/* Results of one request: status 0 = response produced, 1 = not "QUERY" or no
 * response. Both texts belong to the module and live only during the call. */
typedef int(__cdecl* HostCallback)(int pluginId, int status, const wchar_t* response, const wchar_t* report,
                                   HostContext* context);

#ifdef __cplusplus
} /* extern "C" */

/* The plug-in object. Slot order is part of the binary contract. */
class IPCCheckPluginObject {
public:
    virtual int RegisterCallback(HostCallback callback, HostContext* context) = 0; /* slot 0, always 1 */
    virtual int HandleRequest(const wchar_t* request) = 0;                         /* slot 1, 0 handled, 1 not XML */
    virtual void Release() = 0;                                                    /* slot 2 */
    virtual void Reserved() = 0;                                                   /* slot 3, no effect */
};
#else
typedef struct IPCCheckPluginObject IPCCheckPluginObject;
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef HRESULT(__cdecl* PIQueryInterfaceFn)(int interfaceId, IPCCheckPluginObject** object);

#ifdef WARESEEK_BUILDING_MODULE
#define WARESEEK_API __declspec(dllexport)
#else
#define WARESEEK_API __declspec(dllimport)
#endif

WARESEEK_API HRESULT __cdecl PIQueryInterface(int interfaceId, IPCCheckPluginObject** object);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* WARESEEK_PLUGIN_API_H */
