// Unit tests of the scan mode's parts that need no installed programs: icon
// and folder texts, name-based GUIDs, the rules a draft method keeps, and the
// draft's text for hostile registry texts.
#include <gtest/gtest.h>

#include "exit_codes.h"
#include "scan/draft_writer.h"
#include "scan/method_checks.h"
#include "scan/name_guid.h"
#include "scan/path_text.h"
#include "scan/scan_mode.h"
#include "win32/com_apartment.h"
#include "win32/win_owners.h"
#include "xml/xml_document.h"
#include "test_registry.h"
#include "utf8_output.h"

namespace {

TEST(ScanPathText, IconTextsGiveTheirFile) {
    EXPECT_EQ(IconFilePath(L"C:\\App\\app.exe,0"), L"C:\\App\\app.exe");
    EXPECT_EQ(IconFilePath(L" C:\\App\\app.exe , -101 "), L"C:\\App\\app.exe");
    EXPECT_EQ(IconFilePath(L"\"C:\\A b\\app.exe\",3"), L"C:\\A b\\app.exe");
    EXPECT_EQ(IconFilePath(L"C:\\A,b\\app.exe"), L"C:\\A,b\\app.exe") << "a comma in the path is no index";
    EXPECT_EQ(IconFilePath(L"C:\\App\\app.exe,"), L"C:\\App\\app.exe,");
}

TEST(ScanPathText, BinaryIsRelativeToTheInstallFolderOnlyInsideIt) {
    EXPECT_EQ(CleanFolder(L"\"C:\\App\\\" "), L"C:\\App");
    EXPECT_EQ(CleanFolder(L"C:\\"), L"C:\\");
    EXPECT_EQ(BinaryWithin(L"C:\\App", L"c:\\app\\bin\\x.exe"), L"bin\\x.exe");
    EXPECT_EQ(BinaryWithin(L"C:\\App", L"C:\\Apple\\x.exe"), L"x.exe");
    EXPECT_EQ(BinaryWithin(L"C:\\", L"C:\\x.exe"), L"x.exe");
    EXPECT_TRUE(HasExtension(L"A.EXE", L".exe"));
    EXPECT_FALSE(HasExtension(L".exe", L".exe"));
}

TEST(ScanGuids, NameBasedGuidsFollowVersion5) {
    const GuidBytes dns = {0x6b, 0xa7, 0xb8, 0x10, 0x9d, 0xad, 0x11, 0xd1,
                           0x80, 0xb4, 0x00, 0xc0, 0x4f, 0xd4, 0x30, 0xc8};
    EXPECT_EQ(NameBasedGuid(dns, "python.org"), L"{886313E1-3B8A-5372-9B90-0C9AEE199E5D}");
    EXPECT_TRUE(IsBracedGuid(L"{886313e1-3b8a-5372-9b90-0c9aee199e5d}"));
    EXPECT_FALSE(IsBracedGuid(L"{886313E1-3B8A-5372-9B90-0C9AEE199E5G}"));
    EXPECT_FALSE(IsBracedGuid(L"886313E1-3B8A-5372-9B90-0C9AEE199E5D"));
}

DetectMethod Method(const std::wstring& subKey, const std::wstring& binary) {
    DetectMethod method;
    method.params[kParamRootKey] = L"80000002";
    method.params[kParamSubKey] = subKey;
    method.params[kParamBinary] = binary;
    method.params[kParamBinaryType] = L"0";
    method.params[kParamBinaryEnvironment] = L"0";
    return method;
}

TEST(ScanMethodRules, MethodsThatBreakACatalogueRuleOrCannotReadBackAreRefused) {
    EXPECT_TRUE(FitsCatalogueRules(Method(L"SOFTWARE\\" + std::wstring(255, L'k'), std::wstring(259, L'b'))));
    EXPECT_FALSE(FitsCatalogueRules(Method(L"SOFTWARE\\" + std::wstring(256, L'k'), L"a.exe")));
    EXPECT_FALSE(FitsCatalogueRules(Method(L"", L"a.exe")));
    EXPECT_FALSE(FitsCatalogueRules(Method(L"SOFTWARE\\k", std::wstring(260, L'b'))));
    EXPECT_FALSE(FitsCatalogueRules(Method(L"SOFTWARE\\k", L"")));
    EXPECT_FALSE(FitsCatalogueRules(Method(L"SOFTWARE\\a\tb", L"a.exe"))) << "a parser turns the tab into a space";
    EXPECT_FALSE(FitsCatalogueRules(Method(std::wstring(L"SOFTWARE\\a") + wchar_t(1) + L"b", L"a.exe")));
    EXPECT_FALSE(FitsCatalogueRules(Method(L"SOFTWARE\\k", std::wstring(1, wchar_t(0xD800)) + L".exe")));
}

class ScanDraftText : public testing::Test {
    ComApartment m_com;
};

TEST_F(ScanDraftText, HostileNamesStillMakeAWellFormedDraft) {
    const std::wstring name = std::wstring(L"A\x01--\"<&>\xFFFF") + wchar_t(0xDC00) + L"-";
    DraftEntry product{name, L"HKLM, key k", L"{G}", L"1\x02", {Method(L"SOFTWARE\\k", L"a.exe")}, L""};
    DraftEntry leftOut{name, L"HKLM, key --x-", L"", L"", {}, L"reason -"};
    const std::wstring draft = DraftCatalogueText({product, leftOut});
    EXPECT_EQ(draft.rfind(L"<?xml version=\"1.0\" encoding=\"utf-8\"?>", 0), 0u);

    CXmlDocHolder document;
    ASSERT_TRUE(document.LoadXml(draft.c_str())) << ToUtf8(draft);
    CXmlNodeWrapper root(document.GetRootNode());
    CXmlNodeWrapper read(root.SelectSingleNode(L"Product"));
    EXPECT_EQ(AttributeText(read, L"name"), L"A\xFFFD--\"<&>\xFFFD\xFFFD-");
    EXPECT_NE(draft.find(L"<!-- left out: \"A\xFFFD- -&quot;&lt;&amp;&gt;"), std::wstring::npos);
}

// Points HKLM and HKCU of this process at one empty key, and back at scope end.
class EmptyMachineAndUser {
public:
    explicit EmptyMachineAndUser(HKEY empty) {
        m_overridden = RegOverridePredefKey(HKEY_LOCAL_MACHINE, empty) == ERROR_SUCCESS &&
                       RegOverridePredefKey(HKEY_CURRENT_USER, empty) == ERROR_SUCCESS;
    }
    ~EmptyMachineAndUser() {
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    }
    EmptyMachineAndUser(const EmptyMachineAndUser&) = delete;
    EmptyMachineAndUser& operator=(const EmptyMachineAndUser&) = delete;
    bool Overridden() const { return m_overridden; }

private:
    bool m_overridden = false;
};

TEST(ScanMode, WithoutAnyInstalledProgramsListItFails) {
    const TestRegistryKey empty(HKEY_CURRENT_USER, UniqueTestKeyPath(L"scan-empty"));
    UniqueRegKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, empty.SubKey().c_str(), 0, KEY_READ, key.Receive()), ERROR_SUCCESS);
    int exitCode = -1;
    {
        const EmptyMachineAndUser roots(key.Get());
        ASSERT_TRUE(roots.Overridden());
        exitCode = RunScan(HostOptions());
    }
    EXPECT_EQ(exitCode, kExitScanFailed);
}

}  // namespace
