#include "case_generator.h"

#include "xml/xml_escape.h"

const wchar_t kRobustnessKey[] = L"Software\\WareseekTests\\robustness";

RobustCase GenerateCase(uint64_t caseSeed, const std::wstring& moduleFolder) {
    CaseRng rng(caseSeed);
    RobustCase robustCase;
    GenerateRegistryValues(rng, moduleFolder, robustCase);
    GenerateCatalogue(rng, robustCase);
    GenerateTemplate(rng, robustCase);
    GenerateRequests(rng, robustCase);
    return robustCase;
}

std::wstring OddNumber(CaseRng& rng) {
    static const std::vector<std::wstring> numbers = {
        L"-1", L"0x10", L"99999999999", L"4294967295", L"4294967296", L"-2147483649", L" 7", L"7 ", L"+3",
        L"1e3", L"", L"0", L"1", L"2", L"3", L"00000000000000000013", L"abc", L"1.5", L"\x0661"};
    return rng.Pick(numbers);
}

std::wstring OddText(CaseRng& rng) {
    static const std::vector<std::wstring> pieces = {
        L"&", L"<", L">", L"\"", L"'", L"&amp;", L"%s", L"%%", L"%n", L"%d", L"%x%x%x", L"%1$s", L"%ls", L"%S",
        L"%", L"%s%s%s%s", L"%.9999s", L"\\", L"\\\\", L"/", L"..\\", L"C:", L"\xE9", L"\x4E2D\x6587",
        L"\xD83D\xDE00", L"\xFFFD", L"\xFEFF", L"]]>", L"<!--", L"\x00A0", L" ", L"a", L"Product"};
    std::wstring text;
    for (uint32_t count = 1 + rng.Below(6); count > 0; --count) text += rng.Pick(pieces);
    if (rng.Below(1000) < 5) text += std::wstring(1, static_cast<wchar_t>(0xD800 + rng.Below(0x800)));  // unpaired
    if (rng.Percent(3)) text += std::wstring(rng.Percent(10) ? 1 << 20 : 200 + rng.Below(700), L'x');  // megabyte values
    return text;
}

std::wstring Attribute(const wchar_t* name, const std::wstring& rawValue) {
    return std::wstring(L" ") + name + L"=\"" + XmlEscape(rawValue) + L"\"";
}
