// Many objects of one loaded module, one after another, side by side and on
// several threads at once: every answer right, each to its own object's
// context, and nothing left behind beyond what the same platform work leaves
// without the module.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>

#include "bare_platform.h"
#include "heap_use.h"
#include "process_memory.h"
#include "staged_module.h"
#include "test_platform.h"
#include "test_registry.h"

namespace {

// The answers one object's callback saw. The context handed to the module is
// the first member, so the callback finds its tally from it.
struct Tally {
    HostContext context = {0, 0};
    std::atomic<int> answers{0};
    std::atomic<int> wrong{0};
};

std::wstring g_expected;  // the response every "QUERY" here must give

int __cdecl Count(int pluginId, int status, const wchar_t* response, const wchar_t*, HostContext* context) {
    Tally* tally = reinterpret_cast<Tally*>(context);
    ++tally->answers;
    if (pluginId != WARESEEK_PLUGIN_ID || status != 0 || !response || g_expected != response) ++tally->wrong;
    return 0;
}

class ManyObjects : public ::testing::Test {
protected:
    // One product found through the registry and one missing, in groups that
    // add no report items (the report text grows by design), and no process
    // methods, whose platform work the benchmark measures on its own.
    void SetUp() override {
        WriteBytes(m_install.Sub(L"app.exe"), "x");
        m_key.SetString(L"Path", m_install.Sub(L"app.exe"));
        m_module.WriteOwnCatalogue(
            L"<Product GUID='found' name='Found' productType='0'><Detect><Method rootKey='80000001' subKey='" +
            m_key.SubKey() +
            L"' value='Path' binaryType='4'/></Detect></Product>"
            L"<Product GUID='gone' name='Gone' productType='2'><Detect><Method rootKey='80000001' subKey='" +
            m_key.SubKey() + L"' value='None' binaryType='4'/></Detect></Product>");
        ASSERT_TRUE(m_module.Load());
        ObjectHolder first(m_module.NewRegisteredObject());
        first->HandleRequest(kQuery);
        ASSERT_EQ(1u, CallbackLog::Calls().size());
        g_expected = CallbackLog::Calls()[0].response;
        const std::vector<ListedItem> items = {{L"Found", L"found", 1, 0}, {L"Gone", L"gone", 0, 2}};
        ASSERT_EQ(items, ParseItems(g_expected));
    }

    IPCCheckPluginObject* NewObject(Tally& tally) {
        IPCCheckPluginObject* object = nullptr;
        if (m_module.Query(WARESEEK_PLUGIN_ID, &object) != S_OK || !object) return nullptr;
        object->RegisterCallback(&Count, &tally.context);
        return object;
    }

    // A hundred objects in turn, a hundred side by side released in another
    // order, and four threads each with its own object and a hundred requests.
    void Round() {
        std::vector<Tally> inTurn(100);
        for (Tally& tally : inTurn) {
            ObjectHolder object(NewObject(tally));
            ASSERT_TRUE(object.Get());
            object->HandleRequest(kQuery);
        }
        ExpectAnswers(inTurn, 1, "in turn");

        std::vector<Tally> sideBySide(100);
        std::vector<IPCCheckPluginObject*> objects;
        for (Tally& tally : sideBySide) objects.push_back(NewObject(tally));
        ASSERT_EQ(objects.end(), std::find(objects.begin(), objects.end(), nullptr));
        for (int pass = 0; pass < 2; ++pass) {
            for (IPCCheckPluginObject* object : objects) object->HandleRequest(kQuery);
        }
        for (size_t i = 0; i < objects.size(); i += 2) objects[i]->Release();  // every other one first
        for (size_t i = 1; i < objects.size(); i += 2) objects[i]->Release();
        ExpectAnswers(sideBySide, 2, "side by side");

        std::vector<Tally> threaded(4);
        std::vector<std::thread> threads;
        for (Tally& tally : threaded) {
            threads.emplace_back([this, &tally] {
                IPCCheckPluginObject* object = NewObject(tally);
                if (!object) return;
                for (int i = 0; i < 100; ++i) object->HandleRequest(kQuery);
                object->Release();
            });
        }
        for (std::thread& thread : threads) thread.join();
        ExpectAnswers(threaded, 100, "on four threads");
    }

    // The platform work of a round without the module: a catalogue load per
    // object (the fixture has no report template), a request and a response
    // document per request, in the same order and on as many threads.
    void BareRound() {
        std::atomic<int> unloaded{BareWork(100, 100) + BareWork(100, 200)};
        std::vector<std::thread> threads;
        for (int i = 0; i < 4; ++i) threads.emplace_back([this, &unloaded] { unloaded += BareWork(1, 100); });
        for (std::thread& thread : threads) thread.join();
        EXPECT_EQ(0, unloaded.load()) << "documents that did not load without the module";
    }

    int BareWork(int objects, int requests) const {
        const std::wstring catalogue = m_module.ProductCfg(StagedModule::OwnCatalogueName());
        int unloaded = 0;
        for (int i = 0; i < objects; ++i) unloaded += OneWalkParse(catalogue.c_str()) < 0;
        for (int i = 0; i < requests; ++i) {
            unloaded += OneWalkParseText(kQuery) < 0;
            unloaded += OneWalkParseText(g_expected.c_str()) < 0;
        }
        return unloaded;
    }

    static void ExpectAnswers(const std::vector<Tally>& tallies, int each, const char* how) {
        for (size_t i = 0; i < tallies.size(); ++i) {
            EXPECT_EQ(each, tallies[i].answers.load()) << how << ", object " << i;
            EXPECT_EQ(0, tallies[i].wrong.load()) << how << ", object " << i;
        }
    }

    static constexpr const wchar_t* kQuery = L"<Request id=\"7\" cmd=\"QUERY\" Param=\"0\" version=\"2.0\"/>";
    TempFolder m_install;
    TestRegistryKey m_key{HKEY_CURRENT_USER, UniqueTestKeyPath(L"objects")};
    StagedModule m_module;
};

long long HeapGrowth(const std::function<void()>& work) {
    const size_t before = HeapBytesInUse();
    work();
    return static_cast<long long>(HeapBytesInUse()) - static_cast<long long>(before);
}

TEST_F(ManyObjects, AnswerRightAndLeaveNothingBehind) {
    PrimeHeapBlockGroups(5);  // the four threads of a round and this one
    Round();  // warms up what the platform keeps once set up
    BareRound();
    const size_t handlesBefore = HandlesInUse();
    long long moduleGrowth = 0;
    long long bareGrowth = 0;
    for (int round = 0; round < 2; ++round) {
        moduleGrowth += HeapGrowth([this] { Round(); });
        bareGrowth += HeapGrowth([this] { BareRound(); });
    }
    ASSERT_NE(0u, handlesBefore) << "handles not counted";
    // Wine now and then keeps one handle more after a later round, it seems for
    // a lock first contended only then; a handle left per object, request or
    // thread would be hundreds, or at least eight.
    EXPECT_LE(HandlesInUse(), handlesBefore + 2) << "handles grew";
    if (!RunningUnderWine()) {
        GTEST_SKIP() << "the heap bound below was measured under Wine; Windows' heap keeps freed blocks for reuse "
                        "by rules of its own";
    }
    // Two rounds are 408 objects and 1,400 requests. The platform keeps memory
    // of its own (a thread that used MSXML keeps about 1 KiB under Wine 10),
    // so the module is held against the same work without it: a leak of a
    // small block per object or request still shows, above a drift that stays
    // within 8 KiB here.
    EXPECT_LT(moduleGrowth, bareGrowth + 16 * 1024) << "heap in use grew by " << moduleGrowth
                                                    << " bytes with the module, " << bareGrowth << " without";
}

}  // namespace
