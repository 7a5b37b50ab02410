// DownloadPackage as the host calls it: through the built zqdownload.dll.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "http_test_server.h"
#include "test_support.h"

namespace {

using zqd_test::ReadBytes;
using zqd_test::RequestDocument;
using Names = std::vector<std::wstring>;

// Binary-safe content: NUL, CR LF and high bytes must survive unchanged.
const char kRawCatalogue[] = "<Plugins>\0\r\n\xff\x80</Plugins>";
const std::string kCatalogue(kRawCatalogue, sizeof kRawCatalogue - 1);
const std::string kOldCatalogue = "old catalogue";
const std::size_t kMaxBytes = 16u * 1024u * 1024u;

class DownloadPackageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(module.Loaded()) << "zqdownload.dll not found in the stage folder";
        server.Serve("/good.xml", 200, kCatalogue);
        server.Serve("/missing.xml", 404, "not here");
        server.Serve("/broken.xml", 500, "oops");
        ASSERT_TRUE(server.Start());
    }

    int Download(const std::vector<std::wstring>& urls, const std::wstring& md5 = L"") {
        return module.Download(RequestDocument(target, md5, urls).c_str());
    }

    // An address whose port refuses connections.
    static std::wstring RefusedUrl() {
        HttpTestServer closed;
        closed.Start();
        closed.Stop();
        return closed.Url(L"/good.xml");
    }

    zqd_test::DownloadModule module;
    zqd_test::TempFolder folder;
    std::wstring target = folder.Sub(L"SMBPlugins_x86.xml");
    HttpTestServer server;
};

TEST_F(DownloadPackageTest, WritesTheFileFromHttp) {
    EXPECT_NE(Download({server.Url(L"/good.xml")}), 0);
    EXPECT_EQ(ReadBytes(target), kCatalogue);
    EXPECT_EQ(server.RequestCount("/good.xml"), 1);
    EXPECT_EQ(folder.Names(), Names{L"SMBPlugins_x86.xml"});
}

TEST_F(DownloadPackageTest, ReplacesAnExistingFile) {
    zqd_test::WriteBytes(target, kOldCatalogue);
    EXPECT_NE(Download({server.Url(L"/good.xml")}), 0);
    EXPECT_EQ(ReadBytes(target), kCatalogue);
    EXPECT_EQ(folder.Names(), Names{L"SMBPlugins_x86.xml"});
}

TEST_F(DownloadPackageTest, FallsBackInOrderPastFailingAddresses) {
    EXPECT_NE(Download({server.Url(L"/missing.xml"), server.Url(L"/broken.xml"), RefusedUrl(), server.Url(L"/good.xml"),
                        server.Url(L"/never.xml")}),
              0);
    EXPECT_EQ(ReadBytes(target), kCatalogue);
    EXPECT_EQ(server.Requests(), (std::vector<std::string>{"/missing.xml", "/broken.xml", "/good.xml"}));
}

TEST_F(DownloadPackageTest, KeepsTheOldFileWhenEveryAddressFails) {
    zqd_test::WriteBytes(target, kOldCatalogue);
    // The connection closes a byte short of the declared length.
    const std::string declared = "Content-Length: " + std::to_string(kCatalogue.size() + 1) + "\r\n";
    server.Serve("/cut.xml", CannedResponse{200, kCatalogue, {}, declared, {}});
    EXPECT_EQ(Download({server.Url(L"/missing.xml"), server.Url(L"/broken.xml"), RefusedUrl(), server.Url(L"/cut.xml")}),
              0);
    EXPECT_EQ(server.RequestCount("/cut.xml"), 1);
    EXPECT_EQ(ReadBytes(target), kOldCatalogue);
    EXPECT_EQ(folder.Names(), Names{L"SMBPlugins_x86.xml"});
}

// "timeLimit" holds the whole download to fewer milliseconds than the
// module's own limit, so that a caller can keep two downloads to one
// deadline; a value that is no number is ignored.
TEST_F(DownloadPackageTest, ATimeLimitInTheRequestShortensTheDeadline) {
    using namespace std::chrono;
    server.Serve("/slow.xml", 200, kCatalogue, milliseconds(1500));
    const std::wstring plain = RequestDocument(target, L"", {server.Url(L"/slow.xml")});
    const auto limited = [&plain](const wchar_t* limit) {
        std::wstring document = plain;
        return document.insert(document.find(L">"), std::wstring(L" timeLimit=\"") + limit + L"\"");
    };
    const auto start = steady_clock::now();
    EXPECT_EQ(module.Download(limited(L"500").c_str()), 0);
    EXPECT_LT(duration_cast<milliseconds>(steady_clock::now() - start).count(), 1400);
    EXPECT_NE(module.Download(limited(L"5s").c_str()), 0);
    EXPECT_EQ(ReadBytes(target), kCatalogue);
}

TEST_F(DownloadPackageTest, SendsAnEscapedAmpersandAsAmpersand) {
    server.Serve("/get?name=a&arch=x86", 200, kCatalogue);
    EXPECT_NE(Download({server.Url(L"/get?name=a&arch=x86")}), 0);
    EXPECT_EQ(server.Requests(), std::vector<std::string>{"/get?name=a&arch=x86"});
}

TEST_F(DownloadPackageTest, ReadsFileAddresses) {
    const std::wstring source = folder.Sub(L"source.xml");
    zqd_test::WriteBytes(source, kCatalogue);
    EXPECT_NE(Download({zqd_test::FileUrl(folder.Sub(L"absent.xml")), zqd_test::FileUrl(source)}), 0);
    EXPECT_EQ(ReadBytes(target), kCatalogue);
    EXPECT_EQ(folder.Names().size(), 2u);
}

TEST_F(DownloadPackageTest, FailsWhenTheTargetFolderIsMissing) {
    target = folder.Sub(L"absent\\SMBPlugins_x86.xml");
    EXPECT_EQ(Download({server.Url(L"/good.xml")}), 0);
    EXPECT_TRUE(folder.Names().empty());
}

// The digest in the request: mirrors whose content does not match are skipped.
TEST_F(DownloadPackageTest, AcceptsAMatchingDigestInAnyCase) {
    server.Serve("/abc.xml", 200, "abc");
    EXPECT_NE(Download({server.Url(L"/abc.xml")}, L"900150983CD24FB0D6963F7D28E17F72"), 0);
    EXPECT_EQ(ReadBytes(target), "abc");
}

TEST_F(DownloadPackageTest, KeepsTheOldFileOnADigestMismatch) {
    zqd_test::WriteBytes(target, kOldCatalogue);
    EXPECT_EQ(Download({server.Url(L"/good.xml")}, L"d41d8cd98f00b204e9800998ecf8427e"), 0);
    EXPECT_EQ(ReadBytes(target), kOldCatalogue);
    EXPECT_EQ(folder.Names(), Names{L"SMBPlugins_x86.xml"});
}

TEST_F(DownloadPackageTest, SkipsAMirrorWithTheWrongContent) {
    server.Serve("/abc.xml", 200, "abc");
    EXPECT_NE(Download({server.Url(L"/good.xml"), server.Url(L"/abc.xml")}, L"900150983cd24fb0d6963f7d28e17f72"), 0);
    EXPECT_EQ(ReadBytes(target), "abc");
}

// Empty content, from a server or a file, counts as a failed address.
TEST_F(DownloadPackageTest, SkipsEmptyContent) {
    zqd_test::WriteBytes(target, kOldCatalogue);
    const std::wstring empty = folder.Sub(L"empty.xml");
    zqd_test::WriteBytes(empty, "");
    server.Serve("/empty.xml", 200, "");
    EXPECT_EQ(Download({server.Url(L"/empty.xml"), zqd_test::FileUrl(empty)}), 0);
    EXPECT_EQ(ReadBytes(target), kOldCatalogue);
    EXPECT_NE(Download({server.Url(L"/empty.xml"), server.Url(L"/good.xml")}), 0);
    EXPECT_EQ(ReadBytes(target), kCatalogue);
}

// 16 MiB is the largest file accepted.
TEST_F(DownloadPackageTest, AcceptsAFileOfExactlyTheLimit) {
    server.Serve("/limit.xml", 200, std::string(kMaxBytes, 'x'));
    EXPECT_NE(Download({server.Url(L"/limit.xml")}), 0);
    EXPECT_EQ(ReadBytes(target).size(), kMaxBytes);
}

TEST_F(DownloadPackageTest, RefusesAFileOverTheLimit) {
    const std::wstring source = folder.Sub(L"big.xml");
    zqd_test::WriteBytes(source, std::string(kMaxBytes + 1, 'x'));
    server.Serve("/big.xml", 200, std::string(kMaxBytes + 1, 'x'));
    EXPECT_EQ(Download({server.Url(L"/big.xml"), zqd_test::FileUrl(source)}), 0);
    EXPECT_EQ(folder.Names(), Names{L"big.xml"});
}

// Requests that cannot be acted on fail without contacting any server.
TEST_F(DownloadPackageTest, RejectsUnusableRequests) {
    const std::wstring url = server.Url(L"/good.xml");
    const std::vector<std::wstring> documents = {
        L"",
        L"<InsideParam filepath=\"" + target + L"\"><url>" + url + L"</url>",
        L"<Other filepath=\"" + target + L"\"><url>" + url + L"</url></Other>",
        L"<InsideParam MD5=\"\"><url>" + url + L"</url></InsideParam>",
        L"<InsideParam filepath=\"\"><url>" + url + L"</url></InsideParam>",
        RequestDocument(target, L"", {}),
        RequestDocument(target, L"", {L"", L"  "}),
        RequestDocument(target, L"", {L"ftp://127.0.0.1/good.xml"}),
    };
    for (const std::wstring& document : documents) {
        EXPECT_EQ(module.Download(document.c_str()), 0) << std::string(document.begin(), document.end());
    }
    EXPECT_EQ(module.Download(nullptr), 0);
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_TRUE(folder.Names().empty());
}

// The shipped limits against a server that sends its head a byte every half
// second, as long as it likes: the caller gets its thread back at the 60-second
// deadline. Wine cannot end the worker's pending call, so the worker keeps the
// module loaded until the server gives up; the caller may unload it at once.
TEST(DownloadPackageDeadline, ASlowHeadGivesTheCallerBackAtSixtySeconds) {
    using namespace std::chrono;
    HttpTestServer server;
    CannedResponse slow{200, kCatalogue, {}, "X-Padding: " + std::string(400, 'x') + "\r\n", milliseconds(500)};
    slow.trickleHead = true;
    server.Serve("/slow-head.xml", slow);
    ASSERT_TRUE(server.Start());
    zqd_test::TempFolder folder;
    const std::wstring target = folder.Sub(L"SMBPlugins_x86.xml");
    zqd_test::WriteBytes(target, kOldCatalogue);
    const auto start = steady_clock::now();
    {
        zqd_test::DownloadModule module;
        ASSERT_TRUE(module.Loaded());
        EXPECT_EQ(module.Download(RequestDocument(target, L"", {server.Url(L"/slow-head.xml")}).c_str()), 0);
    }
    const auto took = duration_cast<milliseconds>(steady_clock::now() - start).count();
    const std::wstring path = StageFolder() + L"\\zqdownload.dll";
    std::printf("returned after %lld ms; the worker %s\n", static_cast<long long>(took),
                GetModuleHandleW(path.c_str()) ? "is still in its call" : "has ended");
    EXPECT_GE(took, 60000);
    EXPECT_LT(took, 61000);
    EXPECT_EQ(ReadBytes(target), kOldCatalogue);
    server.Stop();  // ends the worker's call, under Wine too
    for (int wait = 0; wait < 100 && GetModuleHandleW(path.c_str()); ++wait) Sleep(100);
    EXPECT_EQ(GetModuleHandleW(path.c_str()), nullptr) << "the worker gives its reference back";
}

}  // namespace
