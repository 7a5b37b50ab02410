// A host that runs for months: any number of loads and unloads of the shipped
// DLLs, and thousands of downloads on one object, leave the process's
// thread-local storage slots as they found them. A process has 1,088 slots,
// so a DLL that keeps one per load would end the process long before these
// loops do. Each loop runs once before the count: system libraries loaded on
// first use (COM, MSXML, WinINet) stay loaded with their slots.
#include <gtest/gtest.h>

#include "http_test_server.h"
#include "process_memory.h"
#include "staged_module.h"

namespace {

TEST(LongLivedHost, LoadingAndFreeingEachShippedDllKeepsEverySlot) {
    StagedModule module;
    const std::wstring downloader = StageFolder() + L"\\zqdownload.dll";
    std::size_t freeBefore = 0;
    for (int cycle = 0; cycle <= 5000; ++cycle) {
        if (cycle == 1) freeBefore = FreeTlsSlots();
        ASSERT_TRUE(module.Load()) << "cycle " << cycle;
        // An object each time, so the module's XML layer runs in every cycle.
        IPCCheckPluginObject* object = nullptr;
        ASSERT_EQ(S_OK, module.Query(WARESEEK_PLUGIN_ID, &object));
        object->Release();
        module.Unload();
        HMODULE library = LoadLibraryW(downloader.c_str());
        ASSERT_NE(nullptr, library) << "cycle " << cycle;
        FreeLibrary(library);
    }
    EXPECT_EQ(freeBefore, FreeTlsSlots());
}

TEST(LongLivedHost, ThousandsOfDownloadsOnOneObjectKeepEverySlot) {
    HttpTestServer server;
    server.Serve("/catalogue.xml", 200, "<Products><Product GUID='fresh' name='fresh' productType='2'/></Products>");
    ASSERT_TRUE(server.Start());
    StagedModule module;
    module.InstallDownloader(StageFolder() + L"\\zqdownload.dll");
    const std::wstring url = server.Url(L"/catalogue.xml");
    module.WriteIni(L"[SMPPluginsCfg]\r\nfile32_url=" + url + L"\r\nfile64_url=" + url + L"\r\n");
    ASSERT_TRUE(module.Load());
    ObjectHolder object(module.NewRegisteredObject());
    std::size_t freeBefore = 0;
    const int requests = 2000;
    for (int i = 0; i < requests; ++i) {
        if (i == 1) freeBefore = FreeTlsSlots();
        CallbackLog::Reset();
        object->HandleRequest(Request(L"QUERY", L"1").c_str());
        ASSERT_EQ(1u, CallbackLog::Calls().size()) << "request " << i;
    }
    EXPECT_EQ(freeBefore, FreeTlsSlots());
    EXPECT_EQ(requests, server.RequestCount("/catalogue.xml"));
    EXPECT_EQ(L"fresh", ParseItems(CallbackLog::Calls()[0].response).at(0).guid);
}

}  // namespace
