// Installed or not, as the host sees it: real registry values in both views,
// real files and a real running process.
#include <gtest/gtest.h>

#include "staged_module.h"
#include "test_platform.h"
#include "test_process.h"
#include "test_registry.h"

namespace {

class DetectionThroughModule : public ::testing::Test {
protected:
    std::vector<ListedItem> Query() {
        ObjectHolder object(m_module.NewRegisteredObject());
        CallbackLog::Reset();
        object->HandleRequest(Request(L"QUERY").c_str());
        if (CallbackLog::Calls().size() != 1) return {};
        return ParseItems(CallbackLog::Calls()[0].response);
    }
    static std::wstring RegistryProduct(const wchar_t* guid, const std::wstring& subKey, const wchar_t* environment) {
        return std::wstring(L"<Product GUID='") + guid + L"' name='" + guid + L"' productType='0'><Detect>" +
               L"<Method rootKey='80000002' subKey='" + subKey + L"' value='InstallDir' binary='app.exe'" +
               L" binaryType='0' binaryEvironment='" + environment + L"'/></Detect></Product>";
    }
    static std::wstring ProcessProduct(const wchar_t* guid, const std::wstring& image) {
        return std::wstring(L"<Product GUID='") + guid + L"' name='" + guid +
               L"' productType='1'><Detect><Method methodType='1' process='" + image + L"'/></Detect></Product>";
    }
    int InstalledOf(const std::vector<ListedItem>& items, const wchar_t* guid) {
        for (const ListedItem& item : items) {
            if (item.guid == guid) return item.installed;
        }
        return -1;
    }

    StagedModule m_module;
    TempFolder m_install;
};

TEST_F(DetectionThroughModule, RegistryViewIsChosenByTheMethod) {
    if (!RunningElevated()) {
        GTEST_SKIP() << WARESEEK_NEEDS_ELEVATION "writes its keys under HKLM, the root with two views";
    }
    WriteBytes(m_install.Sub(L"app.exe"), "x");
    TestRegistryKey own(HKEY_LOCAL_MACHINE, UniqueTestKeyPath(L"own"));
    own.SetString(L"InstallDir", m_install.Path());
    TestRegistryKey wide(HKEY_LOCAL_MACHINE, UniqueTestKeyPath(L"wide"), RegistryView::Bits64);
    wide.SetString(L"InstallDir", m_install.Path());
    m_module.WriteOwnCatalogue(RegistryProduct(L"own", own.SubKey(), L"0") +
                               RegistryProduct(L"wide-1", wide.SubKey(), L"1") +
                               RegistryProduct(L"wide-true", wide.SubKey(), L"true") +
                               RegistryProduct(L"missing", UniqueTestKeyPath(L"none"), L"0"));
    const std::vector<ListedItem> items = Query();
    EXPECT_EQ(1, InstalledOf(items, L"own"));
    EXPECT_EQ(1, InstalledOf(items, L"wide-1"));
    // Under WOW64 "true" reads the 32-bit view, which lacks the key.
    EXPECT_EQ(RunningUnderWow64() ? 0 : 1, InstalledOf(items, L"wide-true"));
    EXPECT_EQ(0, InstalledOf(items, L"missing"));
}

// Image names keep the letter case of their files, which Windows ignores.
TEST_F(DetectionThroughModule, RunningProcessIsFoundByItsNameInAnyLetterCase) {
    const std::wstring image = L"wskrun" + std::to_wstring(GetCurrentProcessId()) + L".exe";
    const std::wstring capitals = L"WSKCAPS" + std::to_wstring(GetCurrentProcessId()) + L".EXE";
    CopyFileTo(ProgramFolder() + L"\\wareseek_sleeper.exe", m_install.Sub(image));
    CopyFileTo(ProgramFolder() + L"\\wareseek_sleeper.exe", m_install.Sub(capitals));
    std::wstring upper = image;
    for (wchar_t& c : upper) c = towupper(c);
    std::wstring lower = capitals;
    for (wchar_t& c : lower) c = towlower(c);
    m_module.WriteOwnCatalogue(ProcessProduct(L"exact", image) + ProcessProduct(L"upper", upper) +
                               ProcessProduct(L"lower", lower));
    EXPECT_EQ(0, InstalledOf(Query(), L"exact")) << "not running yet";
    RunningProcess sleeper(m_install.Sub(image));
    RunningProcess capitalSleeper(m_install.Sub(capitals));
    ASSERT_TRUE(sleeper.Started() && capitalSleeper.Started());
    const std::vector<ListedItem> items = Query();
    EXPECT_EQ(1, InstalledOf(items, L"exact"));
    EXPECT_EQ(1, InstalledOf(items, L"upper"));
    EXPECT_EQ(1, InstalledOf(items, L"lower"));
}

}  // namespace
