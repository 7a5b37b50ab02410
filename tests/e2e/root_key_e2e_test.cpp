// A catalogue, perhaps fetched over plain http, names its registry root by
// number. The module opens only the predefined roots that hold installed
// programs' keys: never a key handle its host happens to hold under that
// number, nor HKEY_PERFORMANCE_DATA. Each refusal is logged, so this runs
// with the log tests, which own the prefix's log file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>

#include "staged_module.h"
#include "support/debug_log.h"
#include "support/win_owners.h"
#include "test_registry.h"

namespace {

const wchar_t kRefusedLine[] = L"\troot refused: not a registry root a catalogue may use\r\n";

size_t LogCount(const wchar_t* line) {
    const std::string bytes = ReadBytes(CMLog::GetInstance().LogPath());
    const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    size_t count = 0;
    for (size_t at = text.find(line); at != std::wstring::npos; at = text.find(line, at + 1)) ++count;
    return count;
}

TEST(CatalogueRootKey, OnlyPredefinedRootsAreOpened) {
    TempFolder install;
    WriteBytes(install.Sub(L"app.exe"), "x");
    const TestRegistryKey held(HKEY_CURRENT_USER, UniqueTestKeyPath(L"held"));
    const TestRegistryKey sub(HKEY_CURRENT_USER, held.SubKey() + L"\\Sub");
    sub.SetString(L"InstallDir", install.Path());
    UniqueRegKey handle;  // a key this process, the module's host, holds open
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, held.SubKey().c_str(), 0, KEY_READ, handle.Receive()));
    wchar_t number[16] = {};
    swprintf(number, 16, L"%lX", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(handle.Get())));

    const struct {
        const wchar_t* guid;
        std::wstring rootKey, subKey, value;
        int installed;
    } cases[] = {
        {L"hkcu", L"80000001", sub.SubKey(), L"InstallDir", 1},  // the same key through its root
        {L"held", number, L"Sub", L"InstallDir", 0},
        {L"hkpd", L"80000004", L"", L"Global", 0},  // the query that loads the counter libraries
    };
    std::wstring products;
    for (const auto& c : cases) {
        products += std::wstring(L"<Product GUID='") + c.guid + L"' name='" + c.guid +
                    L"' productType='0'><Detect><Method rootKey='" + c.rootKey + L"' subKey='" + c.subKey +
                    L"' value='" + c.value + L"' binary='app.exe'/></Detect></Product>";
    }
    StagedModule module;
    module.WriteOwnCatalogue(products);
    const size_t refusedBefore = LogCount(kRefusedLine);
    ObjectHolder object(module.NewRegisteredObject());
    CallbackLog::Reset();
    object->HandleRequest(Request(L"QUERY").c_str());
    ASSERT_EQ(1u, CallbackLog::Calls().size());
    const std::vector<ListedItem> items = ParseItems(CallbackLog::Calls()[0].response);
    ASSERT_EQ(3u, items.size());
    for (const auto& c : cases) {
        const auto item =
            std::find_if(items.begin(), items.end(), [&](const ListedItem& i) { return i.guid == c.guid; });
        ASSERT_NE(items.end(), item);
        EXPECT_EQ(c.installed, item->installed) << ToUtf8(c.guid);
    }
    EXPECT_EQ(refusedBefore + 2, LogCount(kRefusedLine));
}

}  // namespace
