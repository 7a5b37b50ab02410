// The InsideParam request handed to the download module.
#include <gtest/gtest.h>

#include "update/catalogue_download.h"

namespace {

TEST(DownloadRequest, HasTheFixedShapeWithEveryTextEscaped) {
    std::wstring document;
    ASSERT_TRUE(BuildDownloadRequest({L"http://h/a?x=1&y=\"2\""}, L"C:\\P&Q\\SMBPlugins_x86.xml", L"", L"", document));
    EXPECT_EQ(
        L"<InsideParam filepath=\"C:\\P&amp;Q\\SMBPlugins_x86.xml\" text=\"\" MD5=\"\" action=\"0\">"
        L"<url>http://h/a?x=1&amp;y=&quot;2&quot;</url></InsideParam>",
        document);
}

TEST(DownloadRequest, AnEmptyAddressStillGivesOneUrlElement) {
    std::wstring document;
    ASSERT_TRUE(BuildDownloadRequest({L""}, L"C:\\f.xml", L"", L"", document));
    EXPECT_EQ(L"<InsideParam filepath=\"C:\\f.xml\" text=\"\" MD5=\"\" action=\"0\"><url></url></InsideParam>",
              document);
}

TEST(DownloadRequest, AddressesAndDocumentsBeyondTheLimitsAreRefusedNotCut) {
    std::wstring document;
    EXPECT_TRUE(BuildDownloadRequest({std::wstring(248, L'a')}, L"C:\\f.xml", L"", L"", document));
    EXPECT_FALSE(BuildDownloadRequest({std::wstring(249, L'a')}, L"C:\\f.xml", L"", L"", document));
    EXPECT_TRUE(document.empty());
    EXPECT_FALSE(BuildDownloadRequest({std::wstring(240, L'&')}, L"C:\\f.xml", L"", L"", document))
        << "the limit applies to the escaped text";
    const std::vector<std::wstring> many(5, std::wstring(200, L'b'));
    EXPECT_FALSE(BuildDownloadRequest(many, L"C:\\f.xml", L"", L"", document));
    ASSERT_TRUE(BuildDownloadRequest({L"u"}, L"C:\\f.xml", L"", L"", document));
    const size_t frame = document.size();
    EXPECT_TRUE(BuildDownloadRequest({L"u"}, L"C:\\f.xml", L"", std::wstring(1023 - frame, L'x'), document));
    EXPECT_EQ(1023u, document.size());
    EXPECT_FALSE(BuildDownloadRequest({L"u"}, L"C:\\f.xml", L"", std::wstring(1024 - frame, L'x'), document));
}

}  // namespace
