/*
 * Drives wareseek.dll from plain C through its published binary contract:
 * the __cdecl export, the four vtable slots called as thiscall, and a
 * __cdecl callback. Prints PASS or FAIL per check and a closing count; the
 * exit code is 0 only when every check passes.
 *
 * Usage: c_host_test [WINDOWS-PATH-OF-wareseek.dll]
 * Without a path the module is ..\stage\wareseek.dll beside this program.
 */
#include <windows.h>

#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "wareseek/plugin_api.h"

/* Slot types. GCC calls the thiscall attribute on plain C function types a
 * misuse, but honours it: "this" goes in ECX and the callee pops the rest. */
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes"
typedef int(__thiscall* RegisterCallbackFn)(IPCCheckPluginObject* self, HostCallback callback, HostContext* context);
typedef int(__thiscall* HandleRequestFn)(IPCCheckPluginObject* self, const wchar_t* request);
typedef void(__thiscall* PlainFn)(IPCCheckPluginObject* self);
#pragma GCC diagnostic pop

typedef void (*AnyFn)(void);
enum { SLOT_REGISTER = 0, SLOT_HANDLE = 1, SLOT_RELEASE = 2, SLOT_RESERVED = 3 };

static AnyFn Slot(IPCCheckPluginObject* object, int slot) {
    const AnyFn* vtable = *(const AnyFn* const*)object;
    return vtable[slot];
}

static int CallRegister(IPCCheckPluginObject* object, HostCallback callback, HostContext* context) {
    return ((RegisterCallbackFn)Slot(object, SLOT_REGISTER))(object, callback, context);
}

static int CallHandle(IPCCheckPluginObject* object, const wchar_t* request) {
    return ((HandleRequestFn)Slot(object, SLOT_HANDLE))(object, request);
}

static void CallPlain(IPCCheckPluginObject* object, int slot) {
    ((PlainFn)Slot(object, slot))(object);
}

/* What the last callback delivered; the texts live only during the call,
 * so only what the checks need is copied. */
typedef struct CallbackLog {
    int calls;
    int pluginId;
    int status;
    int responseIsNull;
    size_t responseLength;
    wchar_t responseStart[16];
    HostContext* context;
} CallbackLog;

static CallbackLog g_log;

static int __cdecl RecordCallback(int pluginId, int status, const wchar_t* response, const wchar_t* report,
                                  HostContext* context) {
    (void)report;
    ++g_log.calls;
    g_log.pluginId = pluginId;
    g_log.status = status;
    g_log.responseIsNull = response == NULL;
    g_log.responseLength = response ? wcslen(response) : 0;
    memset(g_log.responseStart, 0, sizeof g_log.responseStart);
    if (response) wcsncpy(g_log.responseStart, response, 15);
    g_log.context = context;
    return 0;
}

static int g_passed;
static int g_failed;

static void Check(int ok, const char* what) {
    printf("%s: %s\n", ok ? "PASS" : "FAIL", what);
    if (ok) {
        ++g_passed;
    } else {
        ++g_failed;
    }
}

/* argv[1], or ..\stage\wareseek.dll relative to this program's folder. */
static int ModulePath(int argc, wchar_t** argv, wchar_t* path, DWORD size) {
    if (argc > 1) return wcslen(argv[1]) < size && wcscpy(path, argv[1]) != NULL;
    DWORD length = GetModuleFileNameW(NULL, path, size);
    if (length == 0 || length >= size) return 0;
    wchar_t* slash = wcsrchr(path, L'\\');
    if (!slash) return 0;
    slash[1] = L'\0';
    if (wcslen(path) + 24 >= size) return 0;
    wcscat(path, L"..\\stage\\wareseek.dll");
    return 1;
}

static int QueryOnce(IPCCheckPluginObject* object, const wchar_t* request) {
    memset(&g_log, 0, sizeof g_log);
    return CallHandle(object, request);
}

static void CheckRequests(IPCCheckPluginObject* object, HostContext* context) {
    int result = QueryOnce(object, L"<Request id=\"1\" cmd=\"QUERY\" Param=\"0\" version=\"1.0\"/>");
    Check(result == 0, "HandleRequest of a QUERY returns 0");
    Check(g_log.calls == 1, "the QUERY called back exactly once");
    Check(g_log.pluginId == WARESEEK_PLUGIN_ID, "the callback named plug-in 13");
    Check(g_log.status == 0, "the QUERY's status is 0");
    Check(wcsncmp(g_log.responseStart, L"<Response", 9) == 0, "the response starts with <Response");
    Check(g_log.context == context, "the callback got the registered context pointer");

    result = QueryOnce(object, L"this is not XML");
    Check(result == 1 && g_log.calls == 0, "non-XML request returns 1 without a callback");

    result = QueryOnce(object, L"<Request id=\"2\" cmd=\"BOGUS\" Param=\"0\" version=\"1.0\"/>");
    Check(result == 0 && g_log.calls == 1 && g_log.status == 1, "a BOGUS command calls back with status 1");
    Check(!g_log.responseIsNull && g_log.responseLength == 0, "a BOGUS command's response is empty");

    memset(&g_log, 0, sizeof g_log);
    CallPlain(object, SLOT_RESERVED);
    Check(g_log.calls == 0, "Reserved calls nothing back");
    result = QueryOnce(object, L"<Request id=\"3\" cmd=\"query\" Param=\"0\" version=\"1.0\"/>");
    Check(result == 0 && g_log.calls == 1 && g_log.status == 0, "after Reserved the object still answers");
}

/* Bytes in use in all of the process's heaps, which is where the module's
 * allocations live; 0 when a heap cannot be walked. */
static SIZE_T HeapBytesInUse(void) {
    HANDLE heaps[256];
    DWORD count = GetProcessHeaps(256, heaps);
    if (count == 0 || count > 256) return 0;
    SIZE_T total = 0;
    for (DWORD i = 0; i < count; ++i) {
        PROCESS_HEAP_ENTRY entry;
        entry.lpData = NULL;
        if (!HeapLock(heaps[i])) return 0;
        while (HeapWalk(heaps[i], &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
        }
        DWORD error = GetLastError();
        HeapUnlock(heaps[i]);
        if (error != ERROR_NO_MORE_ITEMS) return 0;
    }
    return total;
}

static IPCCheckPluginObject* NewRegistered(PIQueryInterfaceFn query, HostContext* context) {
    IPCCheckPluginObject* object = NULL;
    if (query(WARESEEK_PLUGIN_ID, &object) != S_OK || !object) return NULL;
    CallRegister(object, RecordCallback, context);
    return object;
}

/* Each registered object holds the sample catalogue. Holding HELD_OBJECTS of
 * them shows what they cost; once they are released, as many objects made and
 * released one after another must fit in the memory the first ones gave back.
 * The slack is smaller than the object itself, so an object that frees its
 * members but not itself shows too. No QUERY here: a process snapshot under
 * Wine keeps memory of its own. */
enum { HELD_OBJECTS = 64, SLACK_PER_OBJECT = 16 };

static void CheckReleaseFreesMemory(PIQueryInterfaceFn query) {
    static IPCCheckPluginObject* held[HELD_OBJECTS];
    HostContext context = {0x57534843, 0};
    SIZE_T before = HeapBytesInUse();
    int made = 0;
    for (int i = 0; i < HELD_OBJECTS; ++i) {
        held[i] = NewRegistered(query, &context);
        if (held[i]) ++made;
    }
    SIZE_T holding = HeapBytesInUse();
    for (int i = 0; i < HELD_OBJECTS; ++i) {
        if (held[i]) CallPlain(held[i], SLOT_RELEASE);
    }
    SIZE_T released = HeapBytesInUse();
    for (int i = 0; i < HELD_OBJECTS; ++i) {
        IPCCheckPluginObject* object = NewRegistered(query, &context);
        if (object) {
            ++made;
            CallPlain(object, SLOT_RELEASE);
        }
    }
    SIZE_T after = HeapBytesInUse();
    SIZE_T heldCost = holding > before ? holding - before : 0;
    SIZE_T regrowth = after > released ? after - released : 0;
    Check(made == 2 * HELD_OBJECTS && heldCost >= HELD_OBJECTS * 1024 && regrowth < HELD_OBJECTS * SLACK_PER_OBJECT,
          "Release frees the object with its catalogue");
    printf("  (%d registered objects held: %lu heap bytes; as many made and released after: %lu)\n", HELD_OBJECTS,
           (unsigned long)heldCost, (unsigned long)regrowth);
}

static void RunChecks(PIQueryInterfaceFn query) {
    static int sentinel;
    IPCCheckPluginObject* object = (IPCCheckPluginObject*)&sentinel;
    HRESULT result = query(12, &object);
    Check(result == E_NOINTERFACE && object == (IPCCheckPluginObject*)&sentinel,
          "PIQueryInterface(12) gives E_NOINTERFACE and leaves the pointer untouched");

    object = NULL;
    result = query(WARESEEK_PLUGIN_ID, &object);
    Check(result == S_OK && object != NULL, "PIQueryInterface(13) gives an object");
    if (!object) return;

    HostContext context = {0x57534843, 0};
    Check(CallRegister(object, RecordCallback, &context) == 1, "RegisterCallback returns 1");
    CheckRequests(object, &context);

    memset(&g_log, 0, sizeof g_log);
    CallPlain(object, SLOT_RELEASE);
    Check(g_log.calls == 0, "Release of a queried object calls nothing back");
    CheckReleaseFreesMemory(query);
}

int wmain(int argc, wchar_t** argv) {
    wchar_t path[MAX_PATH * 2];
    if (!ModulePath(argc, argv, path, MAX_PATH * 2)) {
        printf("FAIL: no usable module path\n");
        return 1;
    }
    HMODULE module = LoadLibraryW(path);
    Check(module != NULL, "the module loads");
    if (!module) {
        printf("  (LoadLibraryW error %lu)\n", GetLastError());
        return 1;
    }
    /* Through a generic function pointer: FARPROC's own type differs. */
    PIQueryInterfaceFn query = (PIQueryInterfaceFn)(AnyFn)GetProcAddress(module, "PIQueryInterface");
    Check(query != NULL, "the module exports PIQueryInterface");
    if (query) RunChecks(query);
    FreeLibrary(module);

    printf("%d passed, %d failed\n", g_passed, g_failed);
    return g_failed == 0 ? 0 : 1;
}
