// The host's scan mode run for real against programs this test registers: the
// draft lists each usable one once, with the methods that find it in the view
// it was registered in, and the module, given the draft as its catalogue,
// finds every product of it.
#include <gtest/gtest.h>
#include <objbase.h>

#include <memory>

#include "staged_module.h"
#include "xml/xml_document.h"
#include "test_platform.h"
#include "test_process.h"
#include "test_registry.h"

namespace {

const wchar_t kUninstall[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const wchar_t kAppPaths[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

// What a method of the draft says, the rootKey and subKey folded into "where".
struct Method {
    std::wstring where;  // rootKey + "\" + subKey
    std::wstring value;
    std::wstring binary;
    std::wstring binaryType;
    std::wstring environment;
    bool operator==(const Method& other) const {
        return where == other.where && value == other.value && binary == other.binary &&
               binaryType == other.binaryType && environment == other.environment;
    }
};

void PrintTo(const Method& method, std::ostream* out) {
    *out << ToUtf8(method.where + L" [" + method.value + L"] " + method.binary + L" type " + method.binaryType +
                   L" env " + method.environment);
}

struct Product {
    std::wstring name;
    std::wstring guid;
    std::wstring version;
    std::vector<Method> methods;
};

std::vector<Method> ReadMethods(CXmlNodeWrapper& product) {
    std::vector<Method> methods;
    CXmlNodeWrapper detect(product.SelectSingleNode(L"Detect"));
    CXmlNodeListWrapper list(detect.SelectNodes(L"./Method"));
    for (int i = 0; i < list.GetCount(); ++i) {
        CXmlNodeWrapper method(list.GetNode(i));
        methods.push_back({AttributeText(method, L"rootKey") + L"\\" + AttributeText(method, L"subKey"),
                           AttributeText(method, L"value"), AttributeText(method, L"binary"),
                           AttributeText(method, L"binaryType"), AttributeText(method, L"binaryEvironment")});
    }
    return methods;
}

// The draft's products; false when it is not an XML document.
bool ParseDraft(const std::wstring& draft, std::vector<Product>& products) {
    CXmlDocHolder document;
    if (!document.LoadXml(draft.c_str())) return false;
    CXmlNodeWrapper root(document.GetRootNode());
    CXmlNodeListWrapper list(root.SelectNodes(L"./Product"));
    for (int i = 0; i < list.GetCount(); ++i) {
        CXmlNodeWrapper product(list.GetNode(i));
        CXmlNodeWrapper version(product.SelectSingleNode(L"Version"));
        ComString versionText;
        version.GetText(versionText);
        products.push_back({AttributeText(product, L"name"), AttributeText(product, L"GUID"), versionText.Str(),
                            ReadMethods(product)});
    }
    return true;
}

std::wstring NewGuidText() {
    GUID guid;
    CoCreateGuid(&guid);
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

class ScanThroughHost : public ::testing::Test {
protected:
    // An installed-programs entry with its DisplayName, removed at the end.
    TestRegistryKey& AddEntry(HKEY root, RegistryView view, const std::wstring& keyName, const std::wstring& name) {
        TestRegistryKey& entry = AddKey(root, view, kUninstall + keyName);
        entry.SetString(L"DisplayName", name);
        return entry;
    }
    TestRegistryKey& AddKey(HKEY root, RegistryView view, const std::wstring& subKey) {
        m_keys.push_back(std::make_unique<TestRegistryKey>(root, subKey, view));
        return *m_keys.back();
    }
    // A file of the test's programs, made with its folders.
    std::wstring AddFile(const std::wstring& relative) {
        WriteBytes(m_files.Sub(relative), "MZ");
        return m_files.Sub(relative);
    }
    // Runs the staged host with arguments; its exit code, and stdout as text.
    static int Host(const std::wstring& arguments, std::wstring& output) {
        std::string bytes;
        const int exitCode = RunCapturingOutput(L"\"" + StageFolder() + L"\\wareseek-host.exe\" " + arguments, bytes);
        output = FromUtf8(bytes);
        return exitCode;
    }
    static std::wstring Scan() {
        std::wstring output;
        EXPECT_EQ(0, Host(L"--scan", output));
        return output;
    }
    std::wstring Tag(const wchar_t* purpose) const { return std::wstring(L"wskscan_") + purpose + L"_" + m_id; }
    std::wstring Name(const wchar_t* purpose) const { return L"Wareseek scan test: " + Tag(purpose); }

    const std::wstring m_id = std::to_wstring(GetCurrentProcessId());
    TempFolder m_files;
    std::vector<std::unique_ptr<TestRegistryKey>> m_keys;
};

const Product* Find(const std::vector<Product>& products, const std::wstring& name) {
    const Product* found = nullptr;
    for (const Product& product : products) {
        if (product.name != name) continue;
        EXPECT_EQ(nullptr, found) << "listed twice: " << ToUtf8(name);
        found = &product;
    }
    return found;
}

TEST_F(ScanThroughHost, DraftListsEachUsableProgramOnceAndTheModuleFindsAllOfIt) {
    if (!RunningUnderWine()) {
        GTEST_SKIP() << "compares drafts of every program installed, which installs and updates in the background "
                        "change between scans; runs under Wine only";
    }
    const bool wow64 = RunningUnderWow64();
    const std::wstring hklm = L"80000002\\";
    const std::wstring hkcu = L"80000001\\";

    // HKLM, 32-bit view, named after a product code: main executable from the
    // icon, found through the install folder and the icon.
    const std::wstring code = NewGuidText();
    const std::wstring wide = AddFile(Tag(L"lm32") + L"\\" + Tag(L"lm32") + L".exe");
    AddFile(Tag(L"lm32") + L"\\helper.dll");
    TestRegistryKey& lm32 = AddEntry(HKEY_LOCAL_MACHINE, RegistryView::Bits32, code, Name(L"lm32"));
    lm32.SetString(L"DisplayVersion", L"1.2 <beta> & more");
    lm32.SetString(L"InstallLocation", m_files.Sub(Tag(L"lm32")));
    lm32.SetString(L"DisplayIcon", wide);

    // HKCU: two executables, the App Paths entry tells which one is the
    // program's own.
    const std::wstring userExe = Tag(L"cu") + L".exe";
    const std::wstring userPath = AddFile(Tag(L"cu") + L"\\" + userExe);
    AddFile(Tag(L"cu") + L"\\uninstall.exe");
    TestRegistryKey& cu = AddEntry(HKEY_CURRENT_USER, RegistryView::Own, Tag(L"cu"), Name(L"cu"));
    cu.SetString(L"InstallLocation", m_files.Sub(Tag(L"cu")) + L"\\");
    AddKey(HKEY_CURRENT_USER, RegistryView::Own, kAppPaths + userExe).SetString(L"", userPath);

    // Only App Paths works: a quoted icon text does not read back as a path.
    const std::wstring pathsExe = Tag(L"ap") + L".exe";
    const std::wstring pathsPath = AddFile(Tag(L"ap") + L"\\" + pathsExe);
    TestRegistryKey& ap = AddEntry(HKEY_LOCAL_MACHINE, RegistryView::Bits32, Tag(L"ap"), Name(L"ap"));
    ap.SetString(L"DisplayIcon", L"\"" + pathsPath + L"\",0");
    AddKey(HKEY_LOCAL_MACHINE, RegistryView::Bits32, kAppPaths + pathsExe).SetString(L"", pathsPath);

    // Only the icon works, through the probe's look beside "app.exe,0"; the
    // App Paths entry of the same name is another program's.
    const std::wstring iconExe = Tag(L"ic") + L".exe";
    const std::wstring iconPath = AddFile(Tag(L"ic") + L"\\" + iconExe);
    AddEntry(HKEY_LOCAL_MACHINE, RegistryView::Bits32, Tag(L"ic"), Name(L"ic"))
        .SetString(L"DisplayIcon", iconPath + L",0");
    AddKey(HKEY_LOCAL_MACHINE, RegistryView::Bits32, kAppPaths + iconExe)
        .SetString(L"", AddFile(L"elsewhere\\" + iconExe));

    // Nothing works: left out with a comment. A system component and an
    // update would work, but are not listed at all.
    TestRegistryKey& none = AddEntry(HKEY_LOCAL_MACHINE, RegistryView::Bits32, Tag(L"none"), Name(L"none"));
    none.SetString(L"InstallLocation", m_files.Sub(L"gone"));
    none.SetString(L"DisplayIcon", m_files.Sub(L"gone\\gone.exe"));
    TestRegistryKey& system = AddEntry(HKEY_LOCAL_MACHINE, RegistryView::Bits32, Tag(L"sys"), Name(L"sys"));
    system.SetString(L"DisplayIcon", iconPath);
    const DWORD one = 1;
    system.SetBytes(L"SystemComponent", REG_DWORD, &one, sizeof one);
    TestRegistryKey& update = AddEntry(HKEY_LOCAL_MACHINE, RegistryView::Bits32, Tag(L"upd"), Name(L"upd"));
    update.SetString(L"DisplayIcon", iconPath);
    update.SetString(L"ParentKeyName", Tag(L"ic"));

    // 64-bit Windows: an entry only the 64-bit view holds, its one executable
    // the main one.
    if (wow64) {
        AddFile(Tag(L"lm64") + L"\\only.exe");
        AddEntry(HKEY_LOCAL_MACHINE, RegistryView::Bits64, Tag(L"lm64"), Name(L"lm64"))
            .SetString(L"InstallLocation", m_files.Sub(Tag(L"lm64")));
    }

    // An install folder in a REG_EXPAND_SZ value, as installers write it, in
    // the 64-bit view where there is one; the App Paths entry, written out,
    // tells which of its two executables is the program's own.
    SetEnvironmentVariableW(L"WSK_SCAN_FILES", m_files.Path().c_str());
    const RegistryView expandView = wow64 ? RegistryView::Bits64 : RegistryView::Bits32;
    const std::wstring expandExe = Tag(L"ex") + L".exe";
    const std::wstring expandPath = AddFile(Tag(L"ex") + L"\\" + expandExe);
    AddFile(Tag(L"ex") + L"\\uninstall.exe");
    AddEntry(HKEY_LOCAL_MACHINE, expandView, Tag(L"ex"), Name(L"ex"))
        .SetString(L"InstallLocation", L"%WSK_SCAN_FILES%\\" + Tag(L"ex"), REG_EXPAND_SZ);
    AddKey(HKEY_LOCAL_MACHINE, expandView, kAppPaths + expandExe).SetString(L"", expandPath);

    const std::wstring draft = Scan();
    std::vector<Product> products;
    ASSERT_TRUE(ParseDraft(draft, products)) << ToUtf8(draft);
    EXPECT_EQ(draft, Scan()) << "the same programs give the same draft";

    const Product* p = Find(products, Name(L"lm32"));
    ASSERT_NE(nullptr, p) << ToUtf8(draft);
    EXPECT_EQ(code, p->guid);
    EXPECT_EQ(L"1.2 <beta> & more", p->version);
    const std::vector<Method> lm32Methods = {
        {hklm + kUninstall + code, L"InstallLocation", Tag(L"lm32") + L".exe", L"0", L"0"},
        {hklm + kUninstall + code, L"DisplayIcon", Tag(L"lm32") + L".exe", L"0", L"0"}};
    EXPECT_EQ(lm32Methods, p->methods);

    ASSERT_NE(nullptr, p = Find(products, Name(L"cu"))) << ToUtf8(draft);
    const std::vector<Method> cuMethods = {{hkcu + kUninstall + Tag(L"cu"), L"InstallLocation", userExe, L"0", L"0"},
                                           {hkcu + kAppPaths + userExe, L"", userExe, L"0", L"0"}};
    EXPECT_EQ(cuMethods, p->methods);

    ASSERT_NE(nullptr, p = Find(products, Name(L"ap"))) << ToUtf8(draft);
    const std::vector<Method> apMethods = {{hklm + kAppPaths + pathsExe, L"", pathsExe, L"0", L"0"}};
    EXPECT_EQ(apMethods, p->methods);

    ASSERT_NE(nullptr, p = Find(products, Name(L"ic"))) << ToUtf8(draft);
    const std::vector<Method> icMethods = {{hklm + kUninstall + Tag(L"ic"), L"DisplayIcon", iconExe, L"0", L"0"}};
    EXPECT_EQ(icMethods, p->methods);

    ASSERT_NE(nullptr, p = Find(products, Name(L"ex"))) << ToUtf8(draft);
    const std::wstring expandEnvironment = wow64 ? L"1" : L"0";
    const std::vector<Method> exMethods = {
        {hklm + kUninstall + Tag(L"ex"), L"InstallLocation", expandExe, L"0", expandEnvironment},
        {hklm + kAppPaths + expandExe, L"", expandExe, L"0", expandEnvironment}};
    EXPECT_EQ(exMethods, p->methods);

    if (wow64) {
        ASSERT_NE(nullptr, p = Find(products, Name(L"lm64"))) << ToUtf8(draft);
        const std::vector<Method> lm64Methods = {
            {hklm + kUninstall + Tag(L"lm64"), L"InstallLocation", L"only.exe", L"0", L"1"}};
        EXPECT_EQ(lm64Methods, p->methods);
    }

    for (const wchar_t* absent : {L"none", L"sys", L"upd"}) EXPECT_EQ(nullptr, Find(products, Name(absent)));
    EXPECT_NE(std::wstring::npos, draft.find(L"<!-- left out: \"" + Name(L"none") + L"\""));
    EXPECT_EQ(std::wstring::npos, draft.find(Name(L"sys")));
    EXPECT_EQ(std::wstring::npos, draft.find(Name(L"upd")));

    // The draft as the module's catalogue: --check finds nothing to say, and
    // every product is found.
    StagedModule module;
    const std::wstring catalogue = module.ProductCfg(StagedModule::OwnCatalogueName());
    WriteUtf8File(catalogue, draft);
    std::wstring checked;
    EXPECT_EQ(0, Host(L"--check \"" + catalogue + L"\"", checked)) << ToUtf8(checked);
    ObjectHolder object(module.NewRegisteredObject());
    ASSERT_NE(nullptr, object.Get());
    CallbackLog::Reset();
    object->HandleRequest(Request(L"QUERY").c_str());
    ASSERT_EQ(1u, CallbackLog::Calls().size());
    const std::vector<ListedItem> items = ParseItems(CallbackLog::Calls()[0].response);
    EXPECT_EQ(products.size(), items.size());
    for (const ListedItem& item : items) EXPECT_EQ(1, item.installed) << ToUtf8(item.name);
    SetEnvironmentVariableW(L"WSK_SCAN_FILES", nullptr);
}

}  // namespace
