// Catalogue download on "QUERY" with Param bit 0, through the real
// zqdownload.dll against a local HTTP server, and through a recording stand-in
// where the exact request matters.
#include <gtest/gtest.h>

#include "http_test_server.h"
#include "staged_module.h"
#include "test_registry.h"

namespace {

std::string CatalogueBytes(const char* guid) {
    return std::string("<Products><Product GUID='") + guid + "' name='" + guid + "' productType='2'/></Products>";
}

class DownloadThroughModule : public ::testing::Test {
protected:
    void SetUp() override {
        m_server.Serve("/x86.xml", 200, CatalogueBytes("fresh-x86"));
        m_server.Serve("/x64.xml", 200, CatalogueBytes("fresh-x64"));
        m_server.Serve("/broken.xml", 500, "server error");
        m_server.Serve("/portal.xml", 200, "<!DOCTYPE html><html><body>Sign in<br></body></html>");
        m_server.Serve("/portal-xhtml.xml", 200, "<html><body>Sign in<br></body></html>");
        m_server.Serve("/portal-wellformed.xml", 200, "<html><body>Sign in<br/></body></html>");
        m_server.Serve("/no-products.xml", 200, "<Products/>");
        ASSERT_TRUE(m_server.Start());
        m_module.WriteOwnCatalogue(L"<Product GUID='old' name='old' productType='2'/>");
    }
    void PointAt(const std::wstring& x86, const std::wstring& x64) {
        m_module.WriteIni(L"[SMPPluginsCfg]\r\nfile32_url=" + m_server.Url(x86) + L"\r\nfile64_url=" +
                          m_server.Url(x64) + L"\r\n");
    }
    // The GUIDs a QUERY with this Param lists.
    std::vector<std::wstring> QueryWith(IPCCheckPluginObject* object, const wchar_t* param) {
        CallbackLog::Reset();
        object->HandleRequest(Request(L"QUERY", param).c_str());
        std::vector<std::wstring> guids;
        if (CallbackLog::Calls().size() != 1 || CallbackLog::Calls()[0].status != 0) return {L"(no answer)"};
        for (const ListedItem& item : ParseItems(CallbackLog::Calls()[0].response)) guids.push_back(item.guid);
        return guids;
    }
    static std::wstring OwnFresh() { return RunningUnderWow64() ? L"fresh-x64" : L"fresh-x86"; }
    std::wstring Downloader() const { return StageFolder() + L"\\zqdownload.dll"; }
    std::wstring RecordingDownloader() const { return ProgramFolder() + L"\\wareseek_recording_download.dll"; }
    std::wstring Recorded() const { return FromUtf16(ReadBytes(m_module.Folder() + L"\\download_calls.txt")); }
    static std::wstring FromUtf16(const std::string& bytes) {
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    }

    HttpTestServer m_server;
    StagedModule m_module;
};

TEST_F(DownloadThroughModule, ParamWithBitZeroDownloadsTheOwnPlatformsCatalogue) {
    m_module.InstallDownloader(Downloader());
    PointAt(L"/x86.xml", L"/x64.xml");
    ObjectHolder object(m_module.NewRegisteredObject());
    for (const wchar_t* param : {L"0", L"2", L"", L"abc"}) {
        EXPECT_EQ(std::vector<std::wstring>{L"old"}, QueryWith(object.Get(), param)) << ToUtf8(param);
    }
    EXPECT_TRUE(m_server.Requests().empty()) << "no download without bit 0";
    for (const wchar_t* param : {L"1", L"3", L"-1"}) {
        EXPECT_EQ(std::vector<std::wstring>{OwnFresh()}, QueryWith(object.Get(), param)) << ToUtf8(param);
    }
    const std::string own = RunningUnderWow64() ? "/x64.xml" : "/x86.xml";
    EXPECT_EQ(3, m_server.RequestCount(own));
    EXPECT_EQ(3u, m_server.Requests().size());
    EXPECT_EQ(nullptr, GetModuleHandleW((m_module.Folder() + L"\\zqdownload.dll").c_str()))
        << "the download module is unloaded after each request";
}

TEST_F(DownloadThroughModule, FailedDownloadsKeepTheCatalogueAlreadyThere) {
    PointAt(L"/broken.xml", L"/broken.xml");
    ObjectHolder object(m_module.NewRegisteredObject());
    EXPECT_EQ(std::vector<std::wstring>{L"old"}, QueryWith(object.Get(), L"1")) << "no zqdownload.dll";
    m_module.InstallDownloader(Downloader());
    EXPECT_EQ(std::vector<std::wstring>{L"old"}, QueryWith(object.Get(), L"1")) << "server error";
    EXPECT_EQ(1u, m_server.Requests().size());
}

// The old file is the sample catalogue (staged from samples/ProductCfg), as
// large as a real one. A captive portal's page, well-formed or not, and a
// root without a Product element are no catalogue.
TEST_F(DownloadThroughModule, ADownloadThatDoesNotLoadGivesTheOldFileBack) {
    m_module.InstallDownloader(Downloader());
    const std::wstring catalogue = m_module.ProductCfg(StagedModule::OwnCatalogueName());
    ASSERT_TRUE(CopyFileTo(StageFolder() + L"\\ProductCfg\\" + StagedModule::OwnCatalogueName(), catalogue));
    const std::string before = ReadBytes(catalogue);
    ObjectHolder object(m_module.NewRegisteredObject());
    const std::vector<std::wstring> listed = QueryWith(object.Get(), L"0");
    ASSERT_GT(listed.size(), 1u);
    const wchar_t* pages[] = {L"/portal.xml", L"/portal-xhtml.xml", L"/portal-wellformed.xml", L"/no-products.xml"};
    for (const wchar_t* page : pages) {
        PointAt(page, page);
        EXPECT_EQ(listed, QueryWith(object.Get(), L"1")) << ToUtf8(page);
        EXPECT_TRUE(before == ReadBytes(catalogue)) << ToUtf8(page);
    }
    EXPECT_EQ(4u, m_server.Requests().size());
    DeleteFileW(catalogue.c_str());
    EXPECT_TRUE(QueryWith(object.Get(), L"1").empty());
    EXPECT_FALSE(FileExists(catalogue)) << "no file before, none after";
}

CannedResponse Answer(const std::string& body, bool sendLength, long long cutAfter = -1) {
    CannedResponse response;
    response.body = body;
    response.sendLength = sendLength;
    response.cutAfter = cutAfter;
    return response;
}

// Answers that must not replace the catalogue. A server slower than the
// whole-download deadline is covered by the download module's own tests with
// small limits (DownloadToFile.GivesUpWhenTheWholeTransferLimitPasses), and a
// wrong digest there too: this module sends none.
TEST_F(DownloadThroughModule, FaultyAnswersLeaveTheCatalogueAsItWas) {
    const std::string fresh = CatalogueBytes(RunningUnderWow64() ? "fresh-x64" : "fresh-x86");
    const long long whole = static_cast<long long>(fresh.size());
    // Cut in the trailing blanks: what arrived would load, were the cut not seen.
    m_server.Serve("/cut.xml", Answer(fresh + std::string(100, ' '), true, whole));
    // Without a length a cut looks like the end: the part must not stay.
    m_server.Serve("/cut-unsized.xml", Answer(fresh, false, whole / 2));
    m_server.Serve("/missing.xml", 404, fresh);
    m_server.Serve("/empty.xml", 200, "");
    const std::size_t cap = 16u << 20;  // padded inside the root: loadable, were it taken
    std::string padded = fresh;
    padded.insert(padded.size() - std::string("</Products>").size(), cap + 1 - fresh.size(), ' ');
    m_server.Serve("/oversize-unsized.xml", Answer(padded, false));
    m_module.InstallDownloader(Downloader());
    const std::wstring catalogue = m_module.ProductCfg(StagedModule::OwnCatalogueName());
    const std::string before = ReadBytes(catalogue);
    ObjectHolder object(m_module.NewRegisteredObject());
    for (const char* path : {"/cut.xml", "/cut-unsized.xml", "/missing.xml", "/empty.xml", "/oversize-unsized.xml"}) {
        const std::wstring url = FromUtf8(path);
        PointAt(url, url);
        WriteBytes(catalogue, before);  // one case's failure does not carry over
        EXPECT_EQ(std::vector<std::wstring>{L"old"}, QueryWith(object.Get(), L"1")) << path;
        EXPECT_TRUE(before == ReadBytes(catalogue)) << path;
        EXPECT_EQ(1, m_server.RequestCount(path));
    }
}

TEST_F(DownloadThroughModule, RequestNamesTheOwnFileAndAddressAndLoadsTheModuleEachTime) {
    m_module.InstallDownloader(RecordingDownloader());
    PointAt(L"/x86.xml", L"/x64.xml");
    ObjectHolder object(m_module.NewRegisteredObject());
    for (const wchar_t* param : {L"0", L"2", L""}) QueryWith(object.Get(), param);
    EXPECT_TRUE(Recorded().empty()) << "neither registration nor Param without bit 0 loads the download module";
    QueryWith(object.Get(), L"1");
    QueryWith(object.Get(), L"1");
    const std::wstring url = m_server.Url(RunningUnderWow64() ? L"/x64.xml" : L"/x86.xml");
    const std::wstring call = L"call 0 0 13 0 0 <InsideParam filepath=\"" +
                              m_module.ProductCfg(StagedModule::OwnCatalogueName()) +
                              L"\" text=\"\" MD5=\"\" action=\"0\"><url>" + url + L"</url></InsideParam>\n";
    EXPECT_EQ(L"load\n" + call + L"unload\nload\n" + call + L"unload\n", Recorded());
}

TEST_F(DownloadThroughModule, WithoutConfigurationOneEmptyAddressIsSent) {
    m_module.InstallDownloader(RecordingDownloader());
    ObjectHolder object(m_module.NewRegisteredObject());
    EXPECT_EQ(std::vector<std::wstring>{L"old"}, QueryWith(object.Get(), L"1"));
    EXPECT_NE(std::wstring::npos, Recorded().find(L"action=\"0\"><url></url></InsideParam>"));
}

// The address is read into a buffer of 2,048 units: a value that fills it may
// be cut and is not used at all. A usable one this long reaches the download
// module, which is loaded and then not called: the request is too long.
TEST_F(DownloadThroughModule, AnAddressFillingTheIniBufferIsNotUsed) {
    m_module.InstallDownloader(RecordingDownloader());
    ObjectHolder object(m_module.NewRegisteredObject());
    const auto address = [this](size_t length) {
        const std::wstring value = L"http://h/" + std::wstring(length - 9, L'a');
        m_module.WriteIni(L"[SMPPluginsCfg]\r\nfile32_url=" + value + L"\r\nfile64_url=" + value + L"\r\n");
    };
    address(2047);
    QueryWith(object.Get(), L"1");
    EXPECT_EQ(L"", Recorded());
    address(2046);
    QueryWith(object.Get(), L"1");
    EXPECT_EQ(L"load\nunload\n", Recorded());
}

}  // namespace
