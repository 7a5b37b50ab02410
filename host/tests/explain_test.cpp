// The explanation records what the module's own detection pass did: each
// method's read, the paths it tested, the process it looked up, and which
// method decided.
#include <gtest/gtest.h>

#include "explain/explanation.h"
#include "explain/explanation_json.h"
#include "explain/explanation_text.h"
#include "win32/com_apartment.h"
#include "test_files.h"
#include "test_registry.h"

namespace {

std::wstring Method(const std::wstring& subKey, const wchar_t* value, const wchar_t* binary,
                   const wchar_t* view = L"0") {
    return L"<Method methodType=\"0\" rootKey=\"80000001\" subKey=\"" + subKey + L"\" value=\"" + value +
           L"\" binary=\"" + binary + L"\" binaryType=\"7\" binaryEvironment=\"" + view + L"\"/>";
}

std::wstring Product(const wchar_t* guid, const std::wstring& methods) {
    return L"<Product name=\"P\" GUID=\"" + std::wstring(guid) + L"\" productType=\"0\"><Detect>" + methods +
           L"</Detect></Product>";
}

std::wstring ProgramName() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring full = path;
    return full.substr(full.find_last_of(L"\\/") + 1);
}

TEST(Explain, RecordsEachStepAndTheMethodThatDecided) {
    const ComApartment com;
    TempFolder folder;
    WriteUtf8File(folder.Sub(L"App\\app.exe"), L"x");
    const TestRegistryKey key(HKEY_CURRENT_USER, UniqueTestKeyPath(L"explain"));
    key.SetString(L"Folder", folder.Sub(L"App"));
    key.SetString(L"Gone", folder.Sub(L"App\\uninst.exe"));
    key.SetString(L"Long", std::wstring(300, L'x'));
    const std::wstring& sub = key.SubKey();
    const std::wstring catalogue =
        L"<Root>" +
        Product(L"{A}", Method(sub + L"\\none", L"v", L"app.exe", L"1") + Method(sub, L"Long", L"app.exe") +
                            Method(sub, L"Folder", L"missing.exe") + Method(sub, L"Gone", L"app.exe")) +
        Product(L"{B}", L"<Method methodType=\"1\" process=\"" + ProgramName() + L"\"/>") +
        Product(L"{C}", L"<Method methodType=\"true\" process=\"no-such-process.exe\"/>" +
                            Method(sub, L"Folder", L"app.exe") + Method(sub, L"Folder", L"app.exe")) +
        Product(L"{D}", L"<Method rootKey=\"80000004\" subKey=\"\" value=\"Global\"/>") + L"</Root>";
    WriteUtf8File(folder.Sub(L"catalogue.xml"), catalogue);

    Explanation explanation;
    std::wstring error;
    ASSERT_TRUE(ExplainCatalogue(folder.Sub(L"catalogue.xml"), explanation, error)) << ToUtf8(error);
    ASSERT_EQ(explanation.products.size(), 4u);
    EXPECT_EQ(explanation.InstalledCount(), 3u);

    const ProductExplanation& a = explanation.products[0];
    ASSERT_EQ(a.methods.size(), 4u);
    EXPECT_EQ(a.methods[0].outcome, RegistryReadOutcome::kKeyNotOpened);
    EXPECT_EQ(a.methods[0].status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(a.methods[1].status, ERROR_MORE_DATA);  // 300 characters do not fit 260
    EXPECT_EQ(a.methods[2].text, folder.Sub(L"App"));
    ASSERT_EQ(a.methods[2].paths.size(), 2u);
    EXPECT_TRUE(a.methods[2].paths[0].question == PathQuestion::kIsFolder && a.methods[2].paths[0].answer);
    EXPECT_EQ(a.methods[2].paths[1].path, folder.Sub(L"App\\missing.exe"));
    EXPECT_FALSE(a.methods[2].paths[1].answer || a.methods[2].found);
    ASSERT_EQ(a.methods[3].paths.size(), 3u);  // not a folder, the named file is gone, app.exe beside it is there
    EXPECT_TRUE(a.methods[3].paths[2].answer);
    EXPECT_EQ(a.methods[3].foundPath, folder.Sub(L"App\\app.exe"));
    EXPECT_EQ(a.methods[3].binaryType, 7);
    EXPECT_EQ(a.decidedBy, 3);

    const MethodExplanation& own = explanation.products[1].methods.at(0);
    EXPECT_TRUE(own.processListTaken && own.running);
    EXPECT_EQ(own.processId, GetCurrentProcessId());
    EXPECT_EQ(own.foundPath, own.processPath);
    EXPECT_EQ(own.binaryType, 0);

    const ProductExplanation& c = explanation.products[2];
    ASSERT_EQ(c.methods.size(), 2u);  // the third is never tried
    EXPECT_FALSE(c.methods[0].processListTaken);  // the pass's list from product B is reused
    EXPECT_FALSE(c.methods[0].running);
    EXPECT_EQ(c.decidedBy, 1);

    const std::wstring text = ExplanationText(explanation);
    EXPECT_NE(text.find(L"registry HKPD\\, value \"Global\", 32-bit view, binary \"\"\r\n"
                        L"    root not opened: the module opens only 80000000 HKCR"),
              std::wstring::npos);
    EXPECT_NE(text.find(L"{A} \"P\" (group 0): installed, by method 4"), std::wstring::npos);
    EXPECT_NE(text.find(L"value too long"), std::wstring::npos);
    // A method asking for the 64-bit view reads it only where there is one.
    const std::wstring view = RunningUnderWow64() ? L"64-bit" : L"32-bit";
    EXPECT_NE(text.find(L"\\none, value \"v\", " + view + L" view"), std::wstring::npos);
    EXPECT_NE(text.find(L"1 later method not tried"), std::wstring::npos);
    EXPECT_NE(ExplanationJson(explanation).find(L"\"guid\":\"{C}\",\"name\":\"P\",\"installed\":true,\"decidedBy\":2"),
              std::wstring::npos);
}

// A REG_EXPAND_SZ value shows the text read and the path it expands to, or
// that the expansion does not fit a path.
TEST(Explain, ShowsTheTextReadAndItsExpansion) {
    const ComApartment com;
    TempFolder folder;
    WriteUtf8File(folder.Sub(L"App\\app.exe"), L"x");
    SetEnvironmentVariableW(L"WSK_EXPLAIN", folder.Path().c_str());
    SetEnvironmentVariableW(L"WSK_EXPLAIN_HUGE", std::wstring(300, L'x').c_str());
    const TestRegistryKey key(HKEY_CURRENT_USER, UniqueTestKeyPath(L"explain"));
    key.SetString(L"Expand", L"%WSK_EXPLAIN%\\App", REG_EXPAND_SZ);
    key.SetString(L"Huge", L"%WSK_EXPLAIN_HUGE%", REG_EXPAND_SZ);
    WriteUtf8File(folder.Sub(L"catalogue.xml"), L"<Root>" +
                                                    Product(L"{E}", Method(key.SubKey(), L"Huge", L"app.exe") +
                                                                        Method(key.SubKey(), L"Expand", L"app.exe")) +
                                                    L"</Root>");
    Explanation explanation;
    std::wstring error;
    ASSERT_TRUE(ExplainCatalogue(folder.Sub(L"catalogue.xml"), explanation, error)) << ToUtf8(error);
    SetEnvironmentVariableW(L"WSK_EXPLAIN", nullptr);
    SetEnvironmentVariableW(L"WSK_EXPLAIN_HUGE", nullptr);
    ASSERT_EQ(explanation.products.at(0).decidedBy, 1);

    const std::wstring text = ExplanationText(explanation);
    EXPECT_NE(text.find(L"value is \"%WSK_EXPLAIN_HUGE%\" (REG_EXPAND_SZ), whose expansion is too long for a path"),
              std::wstring::npos) << ToUtf8(text);
    EXPECT_NE(text.find(L"value is \"%WSK_EXPLAIN%\\App\" (REG_EXPAND_SZ), expanded \"" + folder.Sub(L"App") +
                        L"\"\r\n    " + folder.Sub(L"App") + L" is a folder"),
              std::wstring::npos) << ToUtf8(text);
    const std::wstring json = ExplanationJson(explanation);
    EXPECT_NE(json.find(L"\"outcome\":\"expansion too long\",\"status\":0,\"text\":\"%WSK_EXPLAIN_HUGE%\""),
              std::wstring::npos) << ToUtf8(json);
    EXPECT_NE(json.find(L"\"text\":\"%WSK_EXPLAIN%\\\\App\",\"type\":\"REG_EXPAND_SZ\",\"expanded\":" +
                        JsonString(folder.Sub(L"App"))),
              std::wstring::npos) << ToUtf8(json);
}

TEST(Explain, AMissingCatalogueIsAnError) {
    const ComApartment com;
    TempFolder folder;
    Explanation explanation;
    std::wstring error;
    EXPECT_FALSE(ExplainCatalogue(folder.Sub(L"none.xml"), explanation, error));
    EXPECT_NE(error.find(L"none.xml"), std::wstring::npos);
}

TEST(Explain, JsonStringsEscapeQuotesBackslashesAndControls) {
    EXPECT_EQ(JsonString(L"a\"b\\c\n\x01\x5B89"), L"\"a\\\"b\\\\c\\u000a\\u0001\x5B89\"");
}

}  // namespace
