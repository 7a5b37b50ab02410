// The module's parts on their own, where a direct check is clearer than a
// whole download.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <cstring>
#include <thread>

#include <wininet.h>

#include "win32/com_apartment.h"
#include "win32/file_bytes.h"
#include "download_request.h"
#include "downloader.h"
#include "fetch.h"
#include "http_test_server.h"
#include "md5.h"
#include "test_support.h"
#include "transfer_handles.h"
#include "win32/win_owners.h"

namespace {

using Names = std::vector<std::wstring>;

TEST(ParseDownloadRequest, ReadsAttributesAndAddressesInOrder) {
    const auto request = zqd::ParseDownloadRequest(
        L"<InsideParam filepath=\"C:\\a&amp;b\\x.xml\" text=\"\" MD5=\" ABC \" action=\"0\">"
        L"<url>http://one/a.xml?x=1&amp;y=2</url><url></url><other>http://no</other>"
        L"<url>\n  file:///C:/b.xml  \n</url></InsideParam>");
    ASSERT_TRUE(request);
    EXPECT_EQ(request->targetPath, L"C:\\a&b\\x.xml");
    EXPECT_EQ(request->md5, L"ABC");
    EXPECT_EQ(request->urls, (Names{L"http://one/a.xml?x=1&y=2", L"file:///C:/b.xml"}));
}

TEST(ParseDownloadRequest, TreatsAnAbsentDigestAsNoCheck) {
    const auto request = zqd::ParseDownloadRequest(L"<InsideParam filepath=\"x\"><url>u</url></InsideParam>");
    ASSERT_TRUE(request);
    EXPECT_EQ(request->md5, L"");
}

// The host's thread may already be in the multithreaded apartment: parsing
// works there and leaves that apartment entered.
TEST(ParseDownloadRequest, KeepsTheCallersApartment) {
    ComApartment host(COINIT_MULTITHREADED);
    ASSERT_EQ(host.Result(), S_OK);
    EXPECT_TRUE(zqd::ParseDownloadRequest(L"<InsideParam filepath=\"x\"><url>u</url></InsideParam>"));
    ComApartment again(COINIT_MULTITHREADED);
    EXPECT_EQ(again.Result(), S_FALSE) << "the caller's apartment was left";
}

TEST(Md5, MatchesKnownDigests) {
    EXPECT_EQ(zqd::Md5Hex(""), L"d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(zqd::Md5Hex("abc"), L"900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(zqd::Md5Hex(std::string("\0\xff", 2)), L"d07d34efac6328007ad67c7e0a985e00") << "binary input";
}

TEST(Md5, ComparesWithoutCaseButExactly) {
    EXPECT_TRUE(zqd::Md5Matches("abc", L"900150983CD24FB0D6963F7D28E17F72"));
    EXPECT_FALSE(zqd::Md5Matches("abc", L"900150983cd24fb0d6963f7d28e17f7"));
    EXPECT_FALSE(zqd::Md5Matches("abd", L"900150983cd24fb0d6963f7d28e17f72"));
}

class FetchTest : public ::testing::Test {
protected:
    std::optional<std::string> Fetch(const std::wstring& url) const {
        zqd::Transfer transfer(limits);
        return zqd::FetchUrl(url, transfer);
    }

    zqd_test::TempFolder folder;
    const zqd::FetchLimits limits{5, 15000, 60000};
};

TEST_F(FetchTest, CapsFileAddressesAtTheLimit) {
    zqd_test::WriteBytes(folder.Sub(L"five"), "12345");
    zqd_test::WriteBytes(folder.Sub(L"six"), "123456");
    EXPECT_EQ(Fetch(zqd_test::FileUrl(folder.Sub(L"five"))), "12345");
    EXPECT_FALSE(Fetch(zqd_test::FileUrl(folder.Sub(L"six"))));
    EXPECT_FALSE(Fetch(zqd_test::FileUrl(folder.Path()))) << "a folder is not a file";
}

TEST_F(FetchTest, CapsHttpAtTheLimit) {
    HttpTestServer server;
    server.Serve("/five", 200, "12345");
    server.Serve("/six", 200, "123456");
    CannedResponse unsized;
    unsized.body = "123456";
    unsized.sendLength = false;
    server.Serve("/six-unsized", unsized);
    ASSERT_TRUE(server.Start());
    EXPECT_EQ(Fetch(server.Url(L"/five")), "12345");
    EXPECT_FALSE(Fetch(server.Url(L"/six")));
    EXPECT_FALSE(Fetch(server.Url(L"/six-unsized"))) << "counted as it arrives";
}

TEST_F(FetchTest, AcceptsOnlyHttpHttpsAndFileSchemes) {
    zqd_test::WriteBytes(folder.Sub(L"five"), "12345");
    EXPECT_EQ(Fetch(L"FILE:///" + folder.Sub(L"five")), "12345");
    EXPECT_FALSE(Fetch(L"ftp://127.0.0.1/five"));
    EXPECT_FALSE(Fetch(folder.Sub(L"five"))) << "a bare path is not an address";
}

// Every redirect code is followed to the final answer, and only a whole 200
// is a file: a partial answer or one without content would replace the
// catalogue with a piece of one, or with nothing.
TEST_F(FetchTest, FollowsEveryRedirectAndTakesOnlyAWhole200) {
    HttpTestServer server;
    server.Serve("/five", 200, "12345");
    ASSERT_TRUE(server.Start());
    const std::wstring to = server.Url(L"/five");
    const struct {
        int status;
        bool taken;
    } cases[] = {{301, true}, {302, true}, {303, true}, {307, true}, {308, true},
                 {200, true}, {201, false}, {204, false}, {206, false}, {304, false}};
    for (const auto& c : cases) {
        const std::string path = "/answer" + std::to_string(c.status);
        const bool redirect = c.status >= 301 && c.status <= 308;
        server.Serve(path, CannedResponse{c.status, redirect || c.status == 204 ? "" : "12345", {},
                                          redirect ? "Location: " + std::string(to.begin(), to.end()) + "\r\n" : ""});
        const std::optional<std::string> fetched = Fetch(server.Url(std::wstring(path.begin(), path.end())));
        EXPECT_EQ(c.taken ? std::optional<std::string>("12345") : std::nullopt, fetched) << c.status;
    }
}

// A server that sends a byte now and then keeps each wait short: only the
// whole-transfer limit, shared by all addresses of a download, ends it.
TEST(DownloadToFile, GivesUpWhenTheWholeTransferLimitPasses) {
    const zqd::FetchLimits limits{1024, 15000, 1500};
    const std::string body(40, 'x');
    HttpTestServer server;
    server.Serve("/slow.xml", CannedResponse{200, body, {}, "", std::chrono::milliseconds(100)});
    server.Serve("/late.xml", 200, body, std::chrono::milliseconds(4000));
    server.Serve("/fast.xml", 200, body);
    ASSERT_TRUE(server.Start());
    zqd_test::TempFolder folder;
    const std::wstring target = folder.Sub(L"target.xml");
    zqd_test::WriteBytes(target, "old");

    EXPECT_FALSE(zqd::DownloadToFile({target, L"", {server.Url(L"/slow.xml"), server.Url(L"/fast.xml")}}, limits));
    EXPECT_EQ(server.RequestCount("/fast.xml"), 0) << "the limit covers every address";
    EXPECT_FALSE(zqd::DownloadToFile({target, L"", {server.Url(L"/late.xml")}}, limits)) << "waiting for the head";
    EXPECT_EQ(zqd_test::ReadBytes(target), "old");
    EXPECT_TRUE(zqd::DownloadToFile({target, L"", {server.Url(L"/fast.xml")}}, limits));
    EXPECT_EQ(zqd_test::ReadBytes(target), body);
    server.Stop();
    for (const char* cut : {"/slow.xml", "/late.xml"}) {
        EXPECT_EQ(server.FinishedCount(cut), 0) << cut << ": a wait lasted until the server was done";
    }
}

CannedResponse Redirect(const std::string& location, std::chrono::milliseconds delay = {}) {
    return CannedResponse{302, "", delay, "Location: " + location + "\r\n"};
}

// Servers that would hold a download without end: each is cut off by the
// whole-download deadline or the redirect limit, leaves the old file, and
// where time is left the next address is tried. The waiting thread returns
// at the deadline, though under Wine the worker's pending call goes on.
TEST(DownloadToFile, NoServerHoldsTheCallerPastTheDeadline) {
    using std::chrono::milliseconds;
    const zqd::FetchLimits limits{1024, 15000, 2000};
    HttpTestServer server;
    CannedResponse byteByByte{200, std::string(40, 'x'), {}, "", milliseconds(100)};
    byteByByte.trickleHead = true;
    server.Serve("/head.xml", byteByByte);
    server.Serve("/loop", Redirect("/loop"));
    for (int hop = 1; hop <= 5; ++hop) {
        const std::string next = hop < 5 ? "/hop" + std::to_string(hop + 1) : "/fast.xml";
        server.Serve("/hop" + std::to_string(hop), Redirect(next));
        server.Serve("/slow" + std::to_string(hop), Redirect("/slow" + std::to_string(hop + 1), milliseconds(900)));
    }
    server.Serve("/fast.xml", 200, "fresh");
    ASSERT_TRUE(server.Start());
    const struct {
        const char* first;
        bool nextTried;
    } cases[] = {{"/head.xml", false}, {"/loop", true}, {"/slow1", false}};
    zqd_test::TempFolder folder;
    const std::wstring target = folder.Sub(L"target.xml");
    for (const auto& hostile : cases) {
        zqd_test::WriteBytes(target, "old");
        const auto start = std::chrono::steady_clock::now();
        const bool written = zqd::DownloadToFile(
            {target, L"", {server.Url(std::wstring(hostile.first, hostile.first + std::strlen(hostile.first))),
                           server.Url(L"/fast.xml")}},
            limits);
        const auto took = std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
        EXPECT_LT(took.count(), limits.transferMs + 500) << hostile.first;
        EXPECT_EQ(written, hostile.nextTried) << hostile.first;
        EXPECT_EQ(zqd_test::ReadBytes(target), hostile.nextTried ? "fresh" : "old") << hostile.first;
    }
    EXPECT_EQ(server.RequestCount("/loop"), 6) << "five redirects followed, no more";
    EXPECT_TRUE(zqd::DownloadToFile({target, L"", {server.Url(L"/hop1")}}, limits)) << "five redirects are fine";
    server.Stop();
    EXPECT_EQ(server.FinishedCount("/head.xml"), 0);
}

// After the deadline closes a transfer's handles, the worker makes no call
// with one of them: under Wine the next internet handle opened in the process
// gets a closed one's value at once, so such a call would act on a handle
// that is not the worker's. A quick call under way holds the close off.
TEST(TransferHandles, AClosedHandleIsNeverUsedAndACallUnderWayHoldsTheCloseOff) {
    zqd::TransferHandles handles;
    const HINTERNET session = InternetOpenW(L"test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    const zqd::TransferHandle owned = handles.Adopt(session);
    const UniqueHandle entered(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread worker([&] {
        handles.Use(session, false, [&](HINTERNET) { return SetEvent(entered.Get()) && WaitForSingleObject(release.Get(), 5000); });
    });
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(entered.Get(), 5000));
    std::atomic<bool> closed{false};
    std::thread deadline([&] {
        handles.CloseAll();
        closed = true;
    });
    Sleep(300);
    EXPECT_FALSE(closed) << "the call under way still has its handle";
    SetEvent(release.Get());
    worker.join();
    deadline.join();
    const HINTERNET next = InternetOpenW(L"test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    bool called = false;
    handles.Use(session, false, [&called](HINTERNET) { return called = true; });
    EXPECT_FALSE(called) << (next == session ? "its value now names another handle" : "");
    EXPECT_FALSE(handles.Ready(session));
    InternetCloseHandle(next);
}

// A handle closed once, by its owner or with the whole set, is forgotten: a
// second close could hit another handle that got its value since (under Wine
// at once).
TEST(TransferHandles, AClosedHandleIsNeverClosedAgain) {
    for (const bool ownerFirst : {true, false}) {
        zqd::TransferHandles handles;
        zqd::TransferHandle owned = handles.Adopt(InternetOpenW(L"test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
        ownerFirst ? owned.Reset() : handles.CloseAll();
        const HINTERNET next = InternetOpenW(L"test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        ownerFirst ? handles.CloseAll() : owned.Reset();
        EXPECT_TRUE(InternetCloseHandle(next)) << "closed in the other's place; owner first: " << ownerFirst;
    }
}

class ReplaceFileTest : public ::testing::Test {
protected:
    zqd_test::TempFolder folder;
    std::wstring target = folder.Sub(L"target.xml");
};

TEST_F(ReplaceFileTest, ReplacesTheContentsAndLeavesNoTemporaryFile) {
    zqd_test::WriteBytes(target, "a much longer old content");
    ASSERT_TRUE(ReplaceFileAtomically(target, "new"));
    EXPECT_EQ(zqd_test::ReadBytes(target), "new");
    EXPECT_EQ(folder.Names(), Names{L"target.xml"});
}

// The new contents go to a new file put in the old one's place, never into
// the old file: another name for the old file keeps the old contents.
TEST_F(ReplaceFileTest, AnotherNameForTheOldFileKeepsItsContents) {
    zqd_test::WriteBytes(target, "old");
    const std::wstring link = folder.Sub(L"link.xml");
    ASSERT_TRUE(CreateHardLinkW(link.c_str(), target.c_str(), nullptr));
    ASSERT_TRUE(ReplaceFileAtomically(target, "new"));
    EXPECT_EQ(zqd_test::ReadBytes(target), "new");
    EXPECT_EQ(zqd_test::ReadBytes(link), "old");
}

// Creating never replaces: a file already there keeps its contents.
TEST_F(ReplaceFileTest, CreateWritesOnlyWhereNoFileIs) {
    ASSERT_TRUE(CreateFileAtomically(target, "first"));
    EXPECT_FALSE(CreateFileAtomically(target, "second"));
    EXPECT_EQ(zqd_test::ReadBytes(target), "first");
    EXPECT_EQ(folder.Names(), Names{L"target.xml"});
}

TEST_F(ReplaceFileTest, LeavesAnUnreplaceableTargetAlone) {
    ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
    EXPECT_FALSE(ReplaceFileAtomically(target, "new"));
    EXPECT_EQ(GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_DIRECTORY, DWORD{FILE_ATTRIBUTE_DIRECTORY});
    EXPECT_EQ(folder.Names(), Names{L"target.xml"});
}

}  // namespace
