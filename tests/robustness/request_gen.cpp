// Requests: the documented "QUERY" with odd attributes, other commands, texts
// that are not XML, and very long values.
#include "case_generator.h"

namespace {

std::wstring Pick(CaseRng& rng, const std::vector<std::wstring>& usual, bool number) {
    if (rng.Percent(20)) return number ? OddNumber(rng) : OddText(rng);
    return rng.Pick(usual);
}

std::wstring QueryRequest(CaseRng& rng) {
    static const std::vector<std::wstring> commands = {L"QUERY", L"QUERY", L"QUERY", L"query", L"QuErY",
                                                       L"",      L" QUERY", L"QUERYX", L"STOP"};
    const std::vector<std::wstring> attributes[] = {{L"7", L"1"}, commands, {L"0", L"0", L"2", L"4"}, {L"2.0"}};
    static const wchar_t* names[] = {L"id", L"cmd", L"Param", L"version"};
    std::wstring xml = L"<Request";
    for (int i = 0; i < 4; ++i) {
        if (rng.Percent(4)) continue;
        const std::wstring value = Pick(rng, attributes[i], i == 2);
        xml += Attribute(names[i], value);
        if (rng.Percent(1)) xml += Attribute(names[i], value);
    }
    if (rng.Percent(3)) xml += Attribute(L"id", std::wstring(1 << 20, L'i'));
    return xml + (rng.Percent(5) ? L"><cmd>QUERY</cmd></Request>" : L"/>");
}

std::wstring OtherRequest(CaseRng& rng) {
    static const std::vector<std::wstring> texts = {
        L"",
        L"QUERY",
        L"<Request",
        L"<Request cmd=\"QUERY\">",
        L"%s%n%s",
        L"\xD800",
        L"<?xml version=\"1.0\"?>",
        L"<Other cmd=\"QUERY\" Param=\"0\"/>",
        L"<!DOCTYPE Request [<!ENTITY q \"QUERY\">]><Request cmd=\"&q;\" Param=\"0\" id=\"&q;\" version=\"1\"/>",
        L"<?xml version=\"1.0\" encoding=\"utf-8\"?><Request cmd=\"QUERY\" Param=\"0\" id=\"1\" version=\"1\"/>",
        L"<a:Request xmlns:a=\"urn:x\" cmd=\"QUERY\"/>",
        L"<Request cmd='QUERY' Param='0' id='&amp;&lt;&gt;&quot;&apos;' version='%s%n'/>",
    };
    return rng.Pick(texts);
}

}  // namespace

void GenerateRequests(CaseRng& rng, RobustCase& robustCase) {
    robustCase.registerTwice = rng.Percent(10);
    for (uint32_t count = rng.Percent(80) ? 1 : 2; count > 0; --count) {
        std::wstring request = rng.Percent(85) ? QueryRequest(rng) : OtherRequest(rng);
        if (rng.Percent(5) && !request.empty()) {  // damaged text; a flip to zero just ends it early
            for (uint32_t flips = 1 + rng.Below(4); flips > 0; --flips)
                request[rng.Below(static_cast<uint32_t>(request.size()))] ^= static_cast<wchar_t>(1u << rng.Below(16));
        }
        robustCase.requests.push_back(request);
    }
}
