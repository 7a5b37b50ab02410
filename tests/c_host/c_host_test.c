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

#include "bare_platform.h"
#include "heap_use.h"
#include "test_platform.h"
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

static IPCCheckPluginObject* NewRegistered(PIQueryInterfaceFn query, HostContext* context) {
    IPCCheckPluginObject* object = NULL;
    if (query(WARESEEK_PLUGIN_ID, &object) != S_OK || !object) return NULL;
    CallRegister(object, RecordCallback, context);
    return object;
}

/* Objects made, registered and released one after another may keep no more
 * than the platform keeps for the same work without the module: loading the
 * report template and the catalogue beside the module. The slack is smaller
 * than the object itself, so an object that frees its members but not itself
 * shows too; holding as many objects at once shows that each holds the sample
 * catalogue, so one never released would show by far. The objects held are
 * counted last: under Wine 10 the heap keeps the blocks they free for blocks
 * of their sizes, where leaked blocks would not show. No QUERY here: a process
 * snapshot keeps memory of its own. */
enum { OBJECTS = 64, SLACK_PER_OBJECT = 16, WARM_UP_OBJECTS = 4 };

static SIZE_T Growth(SIZE_T before, SIZE_T after) {
    return after > before ? after - before : 0;
}

/* Makes, registers and releases count objects one after another; returns how
 * many were made. */
static int MakeAndRelease(PIQueryInterfaceFn query, HostContext* context, int count) {
    int made = 0;
    for (int i = 0; i < count; ++i) {
        IPCCheckPluginObject* object = NewRegistered(query, context);
        if (object) {
            ++made;
            CallPlain(object, SLOT_RELEASE);
        }
    }
    return made;
}

/* The heap growth of loading the files a new object reads, OBJECTS times; 0,
 * which allows nothing, when they do not load. */
static SIZE_T BareObjectsGrowth(const wchar_t* folder) {
    wchar_t template[MAX_PATH * 2];
    wchar_t catalogue[MAX_PATH * 2];
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    swprintf(template, MAX_PATH * 2, L"%ls\\config\\reporttempl.xml", folder);
    swprintf(catalogue, MAX_PATH * 2, L"%ls\\ProductCfg\\SMBPlugins_%ls.xml", folder, wow64 ? L"x64" : L"x86");
    SIZE_T before = HeapBytesInUse();
    int loaded = 0;
    for (int i = 0; i < OBJECTS; ++i) loaded += OneWalkParse(template) > 0 && OneWalkParse(catalogue) > 0;
    SIZE_T growth = Growth(before, HeapBytesInUse());
    return loaded == OBJECTS ? growth : 0;
}

static void CheckReleaseFreesMemory(PIQueryInterfaceFn query, const wchar_t* folder) {
    static IPCCheckPluginObject* held[OBJECTS];
    HostContext context = {0x57534843, 0};
    PrimeHeapBlockGroups(1);
    MakeAndRelease(query, &context, WARM_UP_OBJECTS);
    SIZE_T before = HeapBytesInUse();
    int made = MakeAndRelease(query, &context, OBJECTS);
    SIZE_T kept = Growth(before, HeapBytesInUse());
    SIZE_T bare = BareObjectsGrowth(folder);

    before = HeapBytesInUse();
    for (int i = 0; i < OBJECTS; ++i) {
        held[i] = NewRegistered(query, &context);
        if (held[i]) ++made;
    }
    SIZE_T heldCost = Growth(before, HeapBytesInUse());
    for (int i = 0; i < OBJECTS; ++i) {
        if (held[i]) CallPlain(held[i], SLOT_RELEASE);
    }
    /* The bound on bytes kept was measured under Wine; Windows' heap keeps
     * freed blocks for reuse by rules of its own. */
    bool exactHeap = RunningUnderWine();
    Check(made == 2 * OBJECTS && heldCost >= OBJECTS * 1024 &&
              (!exactHeap || kept < bare + OBJECTS * SLACK_PER_OBJECT),
          "Release frees the object with its catalogue");
    if (!exactHeap) printf("  (not under Wine: the bytes kept are shown, not held to a bound)\n");
    printf("  (%d objects made and released: %lu heap bytes kept; their files loaded without the module: %lu; "
           "as many held: %lu)\n",
           OBJECTS, (unsigned long)kept, (unsigned long)bare, (unsigned long)heldCost);
}

static void RunChecks(PIQueryInterfaceFn query, const wchar_t* folder) {
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
    CheckReleaseFreesMemory(query, folder);
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
    wchar_t* slash = wcsrchr(path, L'\\');
    if (slash) *slash = L'\0';  /* the module's folder */
    if (query) RunChecks(query, path);
    FreeLibrary(module);

    printf("%d passed, %d failed\n", g_passed, g_failed);
    return g_failed == 0 ? 0 : 1;
}
