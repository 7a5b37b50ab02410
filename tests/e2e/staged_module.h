#pragma once
// A private copy of the built wareseek.dll in a temporary folder, with its own
// ProductCfg and config beside it, loaded into the test process: each test
// drives a real module instance through the exported entry point.
#include <windows.h>

#include <string>
#include <vector>

#include "test_files.h"
#include "wareseek/plugin_api.h"

// What one callback delivered.
struct CallbackCall {
    int pluginId;
    int status;
    std::wstring response;
    std::wstring report;
    HostContext* context;
};

// Every callback since the last Reset, in order.
class CallbackLog {
public:
    static std::vector<CallbackCall>& Calls();
    static void Reset() { Calls().clear(); }
    static int __cdecl Record(int pluginId, int status, const wchar_t* response, const wchar_t* report,
                              HostContext* context);
    static int __cdecl RecordElsewhere(int pluginId, int status, const wchar_t* response, const wchar_t* report,
                                       HostContext* context);  // counts in OtherCalls()
    static int& OtherCalls();
};

// One product of a catalogue as the response lists it.
struct ListedItem {
    std::wstring name;
    std::wstring guid;
    int installed;
    int type;
    bool operator==(const ListedItem& other) const {
        return name == other.name && guid == other.guid && installed == other.installed && type == other.type;
    }
};
std::vector<ListedItem> ParseItems(const std::wstring& response);
// An attribute of the response's root element.
std::wstring RootAttribute(const std::wstring& response, const wchar_t* name);

class StagedModule {
public:
    // The module goes into the folder path below a fresh temporary folder
    // (folders on the way are made), or into the temporary folder itself.
    explicit StagedModule(const std::wstring& below = L"");
    ~StagedModule();
    StagedModule(const StagedModule&) = delete;
    StagedModule& operator=(const StagedModule&) = delete;

    const std::wstring& Folder() const { return m_home; }
    std::wstring Sub(const std::wstring& relative) const { return m_home + L"\\" + relative; }
    std::wstring ProductCfg(const wchar_t* name) const { return Sub(std::wstring(L"ProductCfg\\") + name); }
    // The catalogue file name this process reads: x64 under WOW64, else x86.
    static const wchar_t* OwnCatalogueName();
    static const wchar_t* OtherCatalogueName();
    void WriteCatalogue(const wchar_t* fileName, const std::wstring& products);  // wraps in <Products>
    void WriteOwnCatalogue(const std::wstring& products) { WriteCatalogue(OwnCatalogueName(), products); }
    void WriteTemplate(const std::wstring& xml) { WriteUtf8File(Sub(L"config\\reporttempl.xml"), xml); }
    void WriteIni(const std::wstring& text) { WriteUtf8File(ProductCfg(L"ProductCfg.ini"), text); }
    // Puts a download module beside the module under the name zqdownload.dll.
    void InstallDownloader(const std::wstring& builtPath);

    bool Load();
    void Unload();
    HMODULE Module() const { return m_module; }
    HRESULT Query(int interfaceId, IPCCheckPluginObject** object) const;
    // A new object with the recording callback registered (context: Context()).
    IPCCheckPluginObject* NewRegisteredObject();
    HostContext* Context() { return &m_context; }

private:
    TempFolder m_folder;
    std::wstring m_home;  // the module's folder
    HMODULE m_module = nullptr;
    PIQueryInterfaceFn m_query = nullptr;
    HostContext m_context = {0x1234, 0x5678};
};

// A request document with the four root attributes.
std::wstring Request(const wchar_t* cmd, const wchar_t* param = L"0", const wchar_t* id = L"7",
                     const wchar_t* version = L"2.0");

// Owns a plug-in object for one test and releases it at scope end.
class ObjectHolder {
public:
    explicit ObjectHolder(IPCCheckPluginObject* object) : m_object(object) {}
    ~ObjectHolder() {
        if (m_object) m_object->Release();
    }
    ObjectHolder(const ObjectHolder&) = delete;
    ObjectHolder& operator=(const ObjectHolder&) = delete;
    IPCCheckPluginObject* operator->() const { return m_object; }
    IPCCheckPluginObject* Get() const { return m_object; }

private:
    IPCCheckPluginObject* m_object;
};
