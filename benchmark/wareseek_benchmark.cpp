// Loads a private copy of wareseek.dll with a generated catalogue of many
// products and reports how long registration (catalogue load) and "QUERY"
// (detection, response, report) take, and how much memory the process uses.
//   wareseek_benchmark [products=2000] [rounds=5]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "test_files.h"
#include "wareseek/plugin_api.h"

namespace {

size_t g_lastResponseChars = 0;
size_t g_lastReportChars = 0;

int __cdecl Collect(int, int, const wchar_t* response, const wchar_t* report, HostContext*) {
    g_lastResponseChars = wcslen(response);
    g_lastReportChars = wcslen(report);
    return 0;
}

// Products alternate between the kinds of work detection does: a registry
// value that is missing, one that names an existing folder, and a process.
std::wstring Catalogue(int products) {
    std::wstring xml = L"<Products>";
    for (int i = 0; i < products; ++i) {
        const std::wstring guid = L"{BENCH-" + std::to_wstring(100000 + i) + L"}";
        xml += L"<Product name='Product " + std::to_wstring(i) + L"' GUID='" + guid + L"' productType='" +
               std::to_wstring(i % 3) + L"'><url>https://example.com/" + std::to_wstring(i) + L"</url><Detect>";
        switch (i % 3) {
            case 0:
                xml +=
                    L"<Method rootKey='80000002' subKey='SOFTWARE\\WareseekBench\\Absent' value='Path' "
                    L"binary='app.exe'/>";
                break;
            case 1:
                xml +=
                    L"<Method rootKey='80000002' subKey='SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion' "
                    L"value='SystemRoot' binary='notepad.exe'/>";
                break;
            default: xml += L"<Method methodType='1' process='services.exe'/>"; break;
        }
        xml += L"</Detect></Product>";
    }
    return xml + L"</Products>";
}

double Milliseconds(std::chrono::steady_clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void PrintMemory(const char* when) {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    std::printf("  memory %-22s working set %7.1f MiB, peak %7.1f MiB, private %7.1f MiB\n", when,
                counters.WorkingSetSize / 1048576.0, counters.PeakWorkingSetSize / 1048576.0,
                counters.PrivateUsage / 1048576.0);
}

}  // namespace

int main(int argc, char** argv) {
    const int products = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    TempFolder folder;
    CopyFileTo(StageFolder() + L"\\wareseek.dll", folder.Sub(L"wareseek.dll"));
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    const std::wstring catalogue = Catalogue(products);
    WriteUtf8File(folder.Sub(wow64 ? L"ProductCfg\\SMBPlugins_x64.xml" : L"ProductCfg\\SMBPlugins_x86.xml"), catalogue);
    CopyFileTo(StageFolder() + L"\\config\\reporttempl.xml", folder.Sub(L"config\\reporttempl.xml"));

    HMODULE module = LoadLibraryW(folder.Sub(L"wareseek.dll").c_str());
    auto query =
        module
            ? reinterpret_cast<PIQueryInterfaceFn>(reinterpret_cast<void*>(GetProcAddress(module, "PIQueryInterface")))
            : nullptr;
    IPCCheckPluginObject* object = nullptr;
    if (!query || query(WARESEEK_PLUGIN_ID, &object) != S_OK) {
        std::fprintf(stderr, "cannot load the staged wareseek.dll\n");
        return 1;
    }
    std::printf("wareseek benchmark: %d products (catalogue %.1f KiB), %d rounds, %s\n", products,
                catalogue.size() / 1024.0, rounds, wow64 ? "32-bit process on 64-bit Windows" : "32-bit Windows");
    PrintMemory("before");

    HostContext context = {0, 0};
    std::vector<double> registerTimes;
    std::vector<double> queryTimes;
    const std::wstring request = L"<Request id='1' cmd='QUERY' Param='0' version='1'/>";
    for (int round = 0; round < rounds; ++round) {
        auto start = std::chrono::steady_clock::now();
        object->RegisterCallback(&Collect, &context);
        registerTimes.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
        start = std::chrono::steady_clock::now();
        object->HandleRequest(request.c_str());
        queryTimes.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
    }
    std::printf("  register (catalogue load)   median %8.1f ms  (%.3f ms per product)\n", Median(registerTimes),
                Median(registerTimes) / std::max(products, 1));
    std::printf("  QUERY (detect + respond)     median %8.1f ms  (%.3f ms per product)\n", Median(queryTimes),
                Median(queryTimes) / std::max(products, 1));
    std::printf("  response %zu characters, report %zu characters after %d requests\n", g_lastResponseChars,
                g_lastReportChars, rounds);
    PrintMemory("after");
    object->Release();
    FreeLibrary(module);
    PrintMemory("after release");
    return 0;
}
