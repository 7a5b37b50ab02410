// The plug-in's surface through the real DLL: the export, the object's four
// operations and the request/response protocol.
#include <gtest/gtest.h>
#include <objbase.h>

#include <thread>

#include "staged_module.h"

namespace {

class Spine : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_module.Load()); }
    StagedModule m_module;
};

TEST_F(Spine, OnlyInterfaceThirteenIsHandedOut) {
    IPCCheckPluginObject* sentinel = reinterpret_cast<IPCCheckPluginObject*>(0x1234);
    IPCCheckPluginObject* object = sentinel;
    EXPECT_EQ(E_NOINTERFACE, m_module.Query(12, &object));
    EXPECT_EQ(sentinel, object) << "a refused call leaves the caller's pointer alone";
    EXPECT_EQ(E_NOINTERFACE, m_module.Query(13, nullptr)) << "nowhere to put an object";
    ASSERT_EQ(S_OK, m_module.Query(13, &object));
    ASSERT_NE(nullptr, object);
    object->Release();
}

TEST_F(Spine, ObjectsAreIndependent) {
    IPCCheckPluginObject* first = nullptr;
    IPCCheckPluginObject* second = nullptr;
    ASSERT_EQ(S_OK, m_module.Query(13, &first));
    ASSERT_EQ(S_OK, m_module.Query(13, &second));
    EXPECT_NE(first, second);
    first->RegisterCallback(&CallbackLog::Record, nullptr);
    second->RegisterCallback(&CallbackLog::Record, nullptr);
    first->Release();
    EXPECT_EQ(0, second->HandleRequest(Request(L"QUERY").c_str()));
    ASSERT_EQ(1u, CallbackLog::Calls().size());
    EXPECT_EQ(0, CallbackLog::Calls()[0].status);
    second->Reserved();
    second->Release();
}

TEST_F(Spine, QueryInAnyLetterCaseIsAnswered) {
    ObjectHolder object(m_module.NewRegisteredObject());
    for (const wchar_t* cmd : {L"QUERY", L"query", L"QuErY"}) {
        CallbackLog::Reset();
        EXPECT_EQ(0, object->HandleRequest(Request(cmd, L"0", L"abc", L"9.1").c_str()));
        ASSERT_EQ(1u, CallbackLog::Calls().size()) << ToUtf8(cmd);
        const CallbackCall& call = CallbackLog::Calls()[0];
        EXPECT_EQ(13, call.pluginId);
        EXPECT_EQ(0, call.status);
        EXPECT_EQ(m_module.Context(), call.context);
        EXPECT_EQ(L"QUERY", RootAttribute(call.response, L"cmd"));
        EXPECT_EQ(L"abc", RootAttribute(call.response, L"id"));
        EXPECT_EQ(L"9.1", RootAttribute(call.response, L"version"));
        EXPECT_EQ(L"0", RootAttribute(call.response, L"state"));
        EXPECT_EQ(std::wstring::npos, call.response.find(L"<Result")) << "empty catalogue: no Result";
        EXPECT_EQ(std::wstring::npos, call.response.find(L"<?xml"));
    }
}

TEST_F(Spine, OtherOrAbsentCommandsGetStatusOneAndNoResponse) {
    ObjectHolder object(m_module.NewRegisteredObject());
    EXPECT_EQ(0, object->HandleRequest(Request(L"SCAN").c_str()));
    EXPECT_EQ(0, object->HandleRequest(L"<Request id='1'/>"));
    ASSERT_EQ(2u, CallbackLog::Calls().size());
    for (const CallbackCall& call : CallbackLog::Calls()) {
        EXPECT_EQ(1, call.status);
        EXPECT_EQ(L"", call.response);
    }
}

TEST_F(Spine, MissingIdAndVersionAreEchoedEmpty) {
    ObjectHolder object(m_module.NewRegisteredObject());
    EXPECT_EQ(0, object->HandleRequest(L"<Anything cmd='QUERY'><ignored/></Anything>"));
    ASSERT_EQ(1u, CallbackLog::Calls().size());
    EXPECT_EQ(L"", RootAttribute(CallbackLog::Calls()[0].response, L"id"));
    EXPECT_EQ(L"", RootAttribute(CallbackLog::Calls()[0].response, L"version"));
}

TEST_F(Spine, TextThatIsNotXmlReturnsOneWithoutCallback) {
    ObjectHolder object(m_module.NewRegisteredObject());
    EXPECT_EQ(1, object->HandleRequest(L"QUERY"));
    EXPECT_EQ(1, object->HandleRequest(L"<Request cmd='QUERY'"));
    EXPECT_EQ(1, object->HandleRequest(nullptr));
    EXPECT_TRUE(CallbackLog::Calls().empty());
}

TEST_F(Spine, NullCallbackKeepsTheOldOneButTakesTheNewContext) {
    ObjectHolder object(m_module.NewRegisteredObject());
    HostContext other = {1, 2};
    EXPECT_EQ(1, object->RegisterCallback(nullptr, &other));
    object->HandleRequest(Request(L"QUERY").c_str());
    EXPECT_EQ(1, object->RegisterCallback(&CallbackLog::RecordElsewhere, nullptr));
    object->HandleRequest(Request(L"QUERY").c_str());
    ASSERT_EQ(1u, CallbackLog::Calls().size());
    EXPECT_EQ(&other, CallbackLog::Calls()[0].context);
    EXPECT_EQ(1, CallbackLog::OtherCalls()) << "a non-null callback replaces the old one";
}

TEST_F(Spine, RequestBeforeRegistrationCallsNothing) {
    IPCCheckPluginObject* object = nullptr;
    ASSERT_EQ(S_OK, m_module.Query(13, &object));
    EXPECT_EQ(0, object->HandleRequest(Request(L"QUERY").c_str()));
    EXPECT_TRUE(CallbackLog::Calls().empty());
    object->Release();
}

// A host that sends "QUERY"s from inside its callback, and keeps what the
// outer callback's texts read before and after them.
struct NestingHost {
    IPCCheckPluginObject* object = nullptr;
    bool nesting = false;
    std::pair<std::wstring, std::wstring> before, after;  // response, report
};
NestingHost* g_nestingHost = nullptr;

int __cdecl NestingCallback(int, int, const wchar_t* response, const wchar_t* report, HostContext*) {
    NestingHost& host = *g_nestingHost;
    if (host.nesting) return 0;  // a nested request's own callback
    host.nesting = true;
    host.before = {response, report};
    // Each nested request appends the same items again: the report text
    // outgrows any room it had.
    for (int i = 0; i < 4; ++i) host.object->HandleRequest(Request(L"QUERY").c_str());
    host.after = {response, report};
    return 0;
}

TEST_F(Spine, RequestsFromInsideTheCallbackLeaveTheOuterTextsAsTheyWere) {
    m_module.WriteTemplate(L"<t><plug id='13'><report><issue value='0' title='%s is missing'/></report></plug></t>");
    std::wstring products;
    for (const wchar_t* guid : {L"a", L"b", L"c", L"d", L"e", L"f"}) {
        products += L"<Product GUID='" + std::wstring(guid) + L"' name='product " + guid + L"' productType='0'/>";
    }
    m_module.WriteOwnCatalogue(products);
    NestingHost host;
    g_nestingHost = &host;
    ASSERT_EQ(S_OK, m_module.Query(13, &host.object));
    host.object->RegisterCallback(&NestingCallback, nullptr);
    EXPECT_EQ(0, host.object->HandleRequest(Request(L"QUERY").c_str()));
    host.object->Release();
    EXPECT_NE(std::wstring::npos, host.before.second.find(L"product f is missing"));
    EXPECT_TRUE(host.before == host.after) << "after the nested requests the outer callback read:\n"
                                           << ToUtf8(host.after.first) << "\n" << ToUtf8(host.after.second);
}

// register + "QUERY" + release on a thread of the host's own, run to its end.
void RegisterQueryRelease(StagedModule& module) {
    ObjectHolder object(module.NewRegisteredObject());
    ASSERT_NE(nullptr, object.Get());
    EXPECT_EQ(0, object->HandleRequest(Request(L"QUERY").c_str()));
}

TEST_F(Spine, HostThreadsKeepTheirComApartment) {
    m_module.WriteOwnCatalogue(L"<Product GUID='g' name='n' productType='2'/>");
    std::thread([this] {
        RegisterQueryRelease(m_module);
        EXPECT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED)) << "no apartment left behind";
        CoUninitialize();
    }).join();
    std::thread([this] {
        ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        RegisterQueryRelease(m_module);
        EXPECT_EQ(S_FALSE, CoInitializeEx(nullptr, COINIT_MULTITHREADED)) << "still in the multithreaded apartment";
        CoUninitialize();
        CoUninitialize();
    }).join();
    ASSERT_EQ(2u, CallbackLog::Calls().size());
    for (const CallbackCall& call : CallbackLog::Calls()) {
        EXPECT_EQ(0, call.status);
        EXPECT_EQ((std::vector<ListedItem>{{L"n", L"g", 0, 2}}), ParseItems(call.response));
    }
}

}  // namespace
