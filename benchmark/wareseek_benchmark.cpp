// Measures the real wareseek.dll against the bare platform work, on a
// generated catalogue, in this process. scripts/benchmark runs one mode per
// process and prints the table; each mode prints one line of name=value pairs.
//   wareseek_benchmark speed PRODUCTS ROUNDS   load, "QUERY" and both baselines (medians, ms)
//   wareseek_benchmark peak-parse PRODUCTS     peak working set of one one-walk parse
//   wareseek_benchmark peak-load PRODUCTS      peak working set of one catalogue load
//   wareseek_benchmark growth PRODUCTS         heap in use after 100 and 1,000 "QUERY"s on one object
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "baselines.h"
#include "generated_catalogue.h"
#include "heap_use.h"
#include "process_memory.h"
#include "win32/win_owners.h"
#include "test_files.h"
#include "wareseek/plugin_api.h"
#include "win32/library_function.h"

namespace {

size_t g_reportChars = 0;

int __cdecl Collect(int, int, const wchar_t*, const wchar_t* report, HostContext*) {
    g_reportChars = wcslen(report);
    return 0;
}

// A private copy of the staged module with the generated catalogue beside it.
class BenchModule {
public:
    explicit BenchModule(const std::vector<GeneratedProduct>& products) {
        BOOL wow64 = FALSE;
        IsWow64Process(GetCurrentProcess(), &wow64);
        CopyFileTo(StageFolder() + L"\\wareseek.dll", m_folder.Sub(L"wareseek.dll"));
        CopyFileTo(StageFolder() + L"\\config\\reporttempl.xml", m_folder.Sub(L"config\\reporttempl.xml"));
        m_catalogue = m_folder.Sub(wow64 ? L"ProductCfg\\SMBPlugins_x64.xml" : L"ProductCfg\\SMBPlugins_x86.xml");
        WriteUtf8File(m_catalogue, CatalogueXml(products));
        m_module = LoadLibraryW(m_folder.Sub(L"wareseek.dll").c_str());
        const auto query = LibraryFunction<PIQueryInterfaceFn>(m_module, "PIQueryInterface");
        if (!query || query(WARESEEK_PLUGIN_ID, &m_object) != S_OK) m_object = nullptr;
    }
    ~BenchModule() {
        if (m_object) m_object->Release();
        if (m_module) FreeLibrary(m_module);
    }
    BenchModule(const BenchModule&) = delete;
    BenchModule& operator=(const BenchModule&) = delete;

    IPCCheckPluginObject* Object() const { return m_object; }
    const std::wstring& Catalogue() const { return m_catalogue; }
    void Register() { m_object->RegisterCallback(&Collect, &m_context); }
    void Query() { m_object->HandleRequest(L"<Request id='1' cmd='QUERY' Param='0' version='1'/>"); }

private:
    TempFolder m_folder;
    std::wstring m_catalogue;
    HMODULE m_module = nullptr;
    IPCCheckPluginObject* m_object = nullptr;
    HostContext m_context = {0, 0};
};

double MedianMs(int rounds, const std::function<void()>& work) {
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

int Speed(const std::vector<GeneratedProduct>& products, int rounds) {
    BenchModule module(products);
    if (!module.Object()) return 1;
    const double parse = MedianMs(rounds, [&] { OneWalkParse(module.Catalogue().c_str()); });
    const double bare = MedianMs(rounds, [&] { BareDetection(products); });
    const double load = MedianMs(rounds, [&] { module.Register(); });
    const double query = MedianMs(rounds, [&] { module.Query(); });
    std::printf("parse=%.1f load=%.1f bare=%.1f query=%.1f found=%d\n", parse, load, bare, query,
                BareDetection(products));
    return 0;
}

int PeakParse(const std::vector<GeneratedProduct>& products) {
    BenchModule module(products);  // the same files and loaded module as a load has
    if (!module.Object() || OneWalkParse(module.Catalogue().c_str()) < 0) return 1;
    std::printf("peak=%zu\n", PeakWorkingSet());
    return 0;
}

int PeakLoad(const std::vector<GeneratedProduct>& products) {
    BenchModule module(products);
    if (!module.Object()) return 1;
    module.Register();
    std::printf("peak=%zu\n", PeakWorkingSet());
    return 0;
}

// Heap in use after 100 and after 1,000 requests, the report text that grew in
// between, and what as many process lists cost without the module (Wine's keep
// memory of their own). All products are of group 2, which adds no report
// items: the report text grows by doubling its buffer, which would hide any
// other growth. The heap's block groups are set up first (see heap_use.h).
int Growth(std::vector<GeneratedProduct> products) {
    PrimeHeapBlockGroups(1);
    for (GeneratedProduct& product : products) product.productType = 2;
    BenchModule module(products);
    if (!module.Object()) return 1;
    module.Register();
    for (int i = 0; i < 100; ++i) module.Query();
    const size_t after100 = HeapBytesInUse();
    const size_t report100 = g_reportChars;
    for (int i = 100; i < 1000; ++i) module.Query();
    const size_t after1000 = HeapBytesInUse();
    const size_t reportGrowth = (g_reportChars - report100) * sizeof(wchar_t);
    const size_t beforeControl = HeapBytesInUse();
    for (int i = 100; i < 1000; ++i) {
        UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        PROCESSENTRY32W entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = snapshot && Process32FirstW(snapshot.Get(), &entry); more;) {
            more = Process32NextW(snapshot.Get(), &entry);
        }
    }
    std::printf("heap100=%zu heap1000=%zu report=%zu control=%zu\n", after100, after1000, reportGrowth,
                HeapBytesInUse() - beforeControl);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: wareseek_benchmark speed|peak-parse|peak-load|growth PRODUCTS [ROUNDS]\n");
        return 2;
    }
    const std::vector<GeneratedProduct> products = GenerateProducts(std::atoi(argv[2]));
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    const std::string mode = argv[1];
    if (mode == "speed") return Speed(products, rounds);
    if (mode == "peak-parse") return PeakParse(products);
    if (mode == "peak-load") return PeakLoad(products);
    if (mode == "growth") return Growth(products);
    std::fprintf(stderr, "unknown mode %s\n", argv[1]);
    return 2;
}
