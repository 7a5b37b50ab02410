#include "staged_module.h"

#include "xml/xml_document.h"
#include "test_registry.h"
#include "win32/library_function.h"

std::vector<CallbackCall>& CallbackLog::Calls() {
    static std::vector<CallbackCall> calls;
    return calls;
}

int& CallbackLog::OtherCalls() {
    static int count = 0;
    return count;
}

int __cdecl CallbackLog::Record(int pluginId, int status, const wchar_t* response, const wchar_t* report,
                                HostContext* context) {
    Calls().push_back({pluginId, status, response ? response : L"(null)", report ? report : L"(null)", context});
    return 0;
}

int __cdecl CallbackLog::RecordElsewhere(int, int, const wchar_t*, const wchar_t*, HostContext*) {
    ++OtherCalls();
    return 0;
}

std::vector<ListedItem> ParseItems(const std::wstring& response) {
    std::vector<ListedItem> items;
    CXmlDocHolder doc;
    if (!doc.LoadXml(response.c_str())) return items;
    CXmlNodeWrapper root(doc.GetRootNode());
    CXmlNodeWrapper result(root.SelectSingleNode(L"Result"));
    CXmlNodeListWrapper list(result.SelectNodes(L"./Item"));
    for (int i = 0; i < list.GetCount(); ++i) {
        CXmlNodeWrapper item(list.GetNode(i));
        items.push_back({AttributeText(item, L"itemName"), AttributeText(item, L"itemGUID"),
                         static_cast<int>(item.GetAttributeUInt(L"isInstalled", 99)),
                         static_cast<int>(item.GetAttributeUInt(L"itemType", 99))});
    }
    return items;
}

std::wstring RootAttribute(const std::wstring& response, const wchar_t* name) {
    CXmlDocHolder doc;
    if (!doc.LoadXml(response.c_str())) return L"(not xml)";
    CXmlNodeWrapper root(doc.GetRootNode());
    return AttributeText(root, name, L"(absent)");
}

StagedModule::StagedModule(const std::wstring& below) : m_home(below.empty() ? m_folder.Path() : m_folder.Sub(below)) {
    CreateFolders(m_home);
    CopyFileTo(StageFolder() + L"\\wareseek.dll", Sub(L"wareseek.dll"));
    CallbackLog::Reset();
    CallbackLog::OtherCalls() = 0;
}

StagedModule::~StagedModule() {
    Unload();
}

const wchar_t* StagedModule::OwnCatalogueName() {
    return RunningUnderWow64() ? L"SMBPlugins_x64.xml" : L"SMBPlugins_x86.xml";
}

const wchar_t* StagedModule::OtherCatalogueName() {
    return RunningUnderWow64() ? L"SMBPlugins_x86.xml" : L"SMBPlugins_x64.xml";
}

void StagedModule::WriteCatalogue(const wchar_t* fileName, const std::wstring& products) {
    WriteUtf8File(ProductCfg(fileName),
                  L"<?xml version=\"1.0\" encoding=\"utf-8\"?><Products>" + products + L"</Products>");
}

void StagedModule::InstallDownloader(const std::wstring& builtPath) {
    CopyFileTo(builtPath, Sub(L"zqdownload.dll"));
}

bool StagedModule::Load() {
    m_module = LoadLibraryW(Sub(L"wareseek.dll").c_str());
    if (!m_module) return false;
    m_query = LibraryFunction<PIQueryInterfaceFn>(m_module, "PIQueryInterface");
    return m_query != nullptr;
}

void StagedModule::Unload() {
    if (m_module) FreeLibrary(m_module);
    m_module = nullptr;
    m_query = nullptr;
}

HRESULT StagedModule::Query(int interfaceId, IPCCheckPluginObject** object) const {
    return m_query(interfaceId, object);
}

IPCCheckPluginObject* StagedModule::NewRegisteredObject() {
    IPCCheckPluginObject* object = nullptr;
    if (!m_module && !Load()) return nullptr;
    if (Query(WARESEEK_PLUGIN_ID, &object) != S_OK || !object) return nullptr;
    object->RegisterCallback(&CallbackLog::Record, &m_context);
    return object;
}

std::wstring Request(const wchar_t* cmd, const wchar_t* param, const wchar_t* id, const wchar_t* version) {
    return std::wstring(L"<Request id=\"") + id + L"\" cmd=\"" + cmd + L"\" Param=\"" + param + L"\" version=\"" +
           version + L"\"/>";
}
