#include "system_report.h"

#include <windows.h>

#include "antivirus_products.h"
#include "test_platform.h"
#include "text/utf8_text.h"
#include "win32/library_function.h"
#include "windows_version.h"

namespace {

std::wstring WineLine() {
    if (!RunningUnderWine()) return L"Under Wine: no";
    using WineVersionFunction = const char*(CDECL*)();
    const auto wineVersion = LibraryFunction<WineVersionFunction>(GetModuleHandleW(L"ntdll.dll"), "wine_get_version");
    const char* version = wineVersion ? wineVersion() : nullptr;
    return L"Under Wine: yes" + (version ? L" (Wine " + FromUtf8(version) + L")" : std::wstring());
}

std::wstring AntivirusLine() {
    const std::vector<std::wstring> products = AntivirusProducts();
    if (products.empty()) return L"Antivirus: not reported";
    std::wstring line = L"Antivirus: ";
    for (size_t i = 0; i < products.size(); ++i) line += (i ? L", " : L"") + products[i];
    return line;
}

}  // namespace

std::vector<std::wstring> SystemReport(const std::wstring& bundleFolder, bool elevated) {
    return {
        L"Wareseek tests from " + bundleFolder,
        WindowsVersionLine(),
        BitnessLine(),
        elevated ? L"Elevated: yes" : L"Elevated: no. Tests that need administrator rights are skipped and say so.",
        WineLine(),
        AntivirusLine(),
    };
}
