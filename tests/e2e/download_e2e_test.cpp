// Catalogue download on "QUERY" with Param bit 0, through the real
// zqdownload.dll against a local HTTP server, and through a recording stand-in
// where the exact request matters.
#include <gtest/gtest.h>

#include "http_test_server.h"
#include "staged_module.h"
#include "test_registry.h"
#include "win32/win_owners.h"

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
    // One recorded DownloadPackage call of the module's catalogue download.
    static std::wstring Call(const std::wstring& filePath, const std::wstring& url) {
        return L"call 0 0 13 0 0 <InsideParam filepath=\"" + filePath + L"\" text=\"\" MD5=\"\" action=\"0\"><url>" +
               url + L"</url></InsideParam>\n";
    }
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
    const std::wstring call = Call(m_module.ProductCfg(StagedModule::OwnCatalogueName()), url);
    EXPECT_EQ(L"load\n" + call + L"unload\nload\n" + call + L"unload\n", Recorded());
}

// With a vendor's key beside the catalogue, the catalogue is fetched into a
// file of its own and the signature follows in the same load, from the
// catalogue's address with ".sig".
TEST_F(DownloadThroughModule, WithAKeyTheSignatureFollowsInTheSameLoad) {
    m_module.InstallDownloader(RecordingDownloader());
    WriteBytes(m_module.Folder() + L"\\download_answer.xml", CatalogueBytes("unsigned"));
    WriteBytes(m_module.ProductCfg(L"catalogue-key.pem"), "checked after the download");
    PointAt(L"/x86.xml", L"/x64.xml");
    ObjectHolder object(m_module.NewRegisteredObject());
    EXPECT_EQ(std::vector<std::wstring>{L"old"}, QueryWith(object.Get(), L"1"));
    const std::wstring url = m_server.Url(RunningUnderWow64() ? L"/x64.xml" : L"/x86.xml");
    const std::wstring catalogue = m_module.ProductCfg(StagedModule::OwnCatalogueName());
    EXPECT_EQ(L"load\n" + Call(catalogue + L".download", url) + Call(catalogue + L".sig.download", url + L".sig") +
                  L"unload\n",
              Recorded());
    EXPECT_FALSE(FileExists(catalogue + L".download") || FileExists(catalogue + L".sig.download"));
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

// Catalogues signed with openssl by the build (make_signed_catalogues.py),
// fetched by the real download module.
class SignedDownload : public DownloadThroughModule {
protected:
    void SetUp() override {
        DownloadThroughModule::SetUp();
        ASSERT_TRUE(FileExists(Signed(L"catalogue.xml.sig"))) << "the build signs the test catalogues";
        m_module.InstallDownloader(Downloader());
        m_catalogue = m_module.ProductCfg(StagedModule::OwnCatalogueName());
        m_before = ReadBytes(m_catalogue);
    }
    static std::wstring Signed(const wchar_t* name) { return ProgramFolder() + L"\\signed-catalogues\\" + name; }
    std::wstring KeyPath() const { return m_module.ProductCfg(L"catalogue-key.pem"); }
    // The key file: a copy of one made for this run, or a folder (no key can be read).
    void UseKey(const wchar_t* name) {
        DeleteFileW(KeyPath().c_str());
        RemoveDirectoryW(KeyPath().c_str());
        if (name) WriteBytes(KeyPath(), ReadBytes(Signed(name)));
        if (!name) CreateDirectoryW(KeyPath().c_str(), nullptr);
    }
    // Serves catalogue at /c.xml and signature (none: 404) at /c.xml.sig.
    void ServeSigned(const wchar_t* catalogue, const wchar_t* signature) {
        m_server.Serve("/c.xml", 200, ReadBytes(Signed(catalogue)));
        m_server.Serve("/c.xml.sig", signature ? 200 : 404, signature ? ReadBytes(Signed(signature)) : "");
        PointAt(L"/c.xml", L"/c.xml");
    }

    // The catalogue file's identity: a file put back in place is another one.
    uint64_t CatalogueIdentity() const {
        const UniqueFile file(CreateFileW(m_catalogue.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        BY_HANDLE_FILE_INFORMATION info = {};
        if (!file || !GetFileInformationByHandle(file.Get(), &info)) return 0;
        return (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    }
    bool LeftoversGone() const {
        return !FileExists(m_catalogue + L".download") && !FileExists(m_catalogue + L".sig.download");
    }

    std::wstring m_catalogue;
    std::string m_before;
};

TEST_F(SignedDownload, ACatalogueSignedWithTheKeyIsAccepted) {
    UseKey(L"signer.pem");
    ServeSigned(L"catalogue.xml", L"catalogue.xml.sig");
    ObjectHolder object(m_module.NewRegisteredObject());
    EXPECT_GT(QueryWith(object.Get(), L"1").size(), 1u);
    EXPECT_TRUE(ReadBytes(Signed(L"catalogue.xml")) == ReadBytes(m_catalogue));
    EXPECT_EQ(1, m_server.RequestCount("/c.xml.sig"));
    EXPECT_TRUE(LeftoversGone());
}

TEST_F(SignedDownload, EveryFaultyDownloadIsRefusedAndTheOldFileStays) {
    const struct {
        const char* what;
        const wchar_t* catalogue;
        const wchar_t* signature;
        const wchar_t* key;
    } cases[] = {
        {"one byte changed after signing", L"tampered.xml", L"catalogue.xml.sig", L"signer.pem"},
        {"no signature", L"catalogue.xml", nullptr, L"signer.pem"},
        {"signed by another key", L"catalogue.xml", L"catalogue.xml.sig.other", L"signer.pem"},
        {"signature cut short", L"catalogue.xml", L"catalogue.xml.sig.cut", L"signer.pem"},
        {"a key that cannot be read", L"catalogue.xml", L"catalogue.xml.sig", nullptr},
    };
    ObjectHolder object(m_module.NewRegisteredObject());
    const uint64_t identity = CatalogueIdentity();
    ASSERT_NE(0u, identity);
    for (const auto& c : cases) {
        UseKey(c.key);
        ServeSigned(c.catalogue, c.signature);
        EXPECT_EQ(std::vector<std::wstring>{L"old"}, QueryWith(object.Get(), L"1")) << c.what;
        EXPECT_TRUE(m_before == ReadBytes(m_catalogue)) << c.what;
        EXPECT_EQ(identity, CatalogueIdentity()) << c.what << ": the file in use is never replaced";
        EXPECT_TRUE(LeftoversGone()) << c.what;
    }
    EXPECT_EQ(5, m_server.RequestCount("/c.xml"));
}

// What an earlier download left and cannot be removed is never checked in
// place of a fresh signature: no download happens.
TEST_F(SignedDownload, ALeftoverThatCannotBeRemovedSkipsTheDownload) {
    UseKey(L"signer.pem");
    ServeSigned(L"catalogue.xml", L"catalogue.xml.sig");
    const std::wstring leftover = m_catalogue + L".sig.download";
    ASSERT_TRUE(CreateDirectoryW(leftover.c_str(), nullptr));
    ObjectHolder object(m_module.NewRegisteredObject());
    EXPECT_EQ(std::vector<std::wstring>{L"old"}, QueryWith(object.Get(), L"1"));
    EXPECT_TRUE(m_server.Requests().empty());
    RemoveDirectoryW(leftover.c_str());
}

}  // namespace
