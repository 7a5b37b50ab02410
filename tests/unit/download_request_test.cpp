// The InsideParam request handed to the download module.
#include <gtest/gtest.h>

#include "test_files.h"
#include "update/catalogue_download.h"
#include "update/download_plan.h"

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

// What a download will ask for is checked before anything is asked: with a
// key, the signature's address and every work file must fit too. Each case
// is a module folder of the given length and an address of the given length.
TEST(CatalogueDownloadPlan, AnythingThatWouldNotFitIsFoundBeforeAsking) {
    const TempFolder temp;
    const struct {
        size_t folder;   // the module folder's length
        size_t address;  // the address's length
        bool key;
        const wchar_t* problem;  // part of the problem found; empty: none
    } cases[] = {
        {100, 248, false, L""},
        {100, 249, false, L"the catalogue's address is 249 characters long as sent, and the download module takes at most 248"},
        {100, 244, true, L""},
        {100, 246, true, L"the signature's address is 250 characters long as sent, and the download module takes at most 248"},
        {229, 20, false, L""},
        {229, 20, true, L".sig.download would be 277 characters long, over the path limit of 259"},
    };
    for (const auto& c : cases) {
        std::wstring folder = temp.Sub(L"m");
        folder += std::wstring(c.folder - folder.size(), L'm');
        const std::wstring address = L"http://h/" + std::wstring(c.address - 9, L'a');
        WriteUtf8File(folder + L"\\ProductCfg\\ProductCfg.ini",
                      L"[SMPPluginsCfg]\r\nfile32_url=" + address + L"\r\nfile64_url=" + address + L"\r\n");
        if (c.key) WriteUtf8File(folder + L"\\ProductCfg\\catalogue-key.pem", L"a key");
        const CatalogueDownloadPlan plan = PlanCatalogueDownload(folder);
        EXPECT_EQ(address, plan.address);
        EXPECT_EQ(c.key, !plan.key.empty());
        if (*c.problem == L'\0') {
            EXPECT_EQ(L"", plan.problem) << c.folder << " " << c.address;
        } else {
            EXPECT_NE(std::wstring::npos, plan.problem.find(c.problem)) << ToUtf8(plan.problem);
        }
        DeleteTree(folder);
    }
}

}  // namespace
