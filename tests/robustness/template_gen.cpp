// Report templates: the shipped shape with every kind of "%" sequence, escapes,
// extreme numbers and attributes, or something that is no template at all.
#include "byte_forms.h"
#include "case_generator.h"

namespace {

std::wstring ItemText(CaseRng& rng) {
    static const std::vector<std::wstring> usual = {L"%s is not installed", L"Install %s now", L"100%% %s",
                                                    L"%s%s%s%s%s%s%s%s", L"%n%n%n%s", L"%d %x %p %ls %S %c %%s",
                                                    L"&amp;&lt;%s&gt;&quot;&apos;", L"%"};
    return rng.Percent(40) ? OddText(rng) : rng.Pick(usual);
}

std::wstring Issue(CaseRng& rng) {
    std::wstring xml = L"<issue";
    xml += Attribute(L"value", rng.Percent(70) ? std::to_wstring(rng.Below(3)) : OddNumber(rng));
    xml += Attribute(L"level", rng.Percent(80) ? L"2" : OddNumber(rng));
    xml += Attribute(L"score", rng.Percent(80) ? L"-5" : OddNumber(rng));
    static const wchar_t* texts[] = {L"icon", L"buttontext", L"title", L"msg"};
    for (const wchar_t* name : texts) {
        if (rng.Percent(5)) continue;
        std::wstring value = ItemText(rng);
        if (name == texts[2] && rng.Percent(10)) value = L"%s" + std::wstring(400 + rng.Below(300), L'w');
        xml += Attribute(name, value);
        if (rng.Percent(1)) xml += Attribute(name, value);
    }
    return xml + L"/>";
}

std::wstring Body(CaseRng& rng) {
    static const std::vector<std::wstring> ids = {L"13", L"13", L"13", L"013", L" 13", L"12", L"-13", L"4294967309"};
    std::wstring issues;
    for (uint32_t count = rng.Below(5); count > 0; --count) issues += Issue(rng);
    std::wstring xml = L"<reporttempl><plug id=\"12\"><report><issue value=\"0\" title=\"other\"/></report></plug>";
    xml += L"<plug id=\"" + rng.Pick(ids) + L"\"><report>" + issues + L"</report>";
    if (rng.Percent(5)) xml += L"<report>" + Issue(rng) + L"</report>";
    return xml + L"</plug></reporttempl>";
}

}  // namespace

void GenerateTemplate(CaseRng& rng, RobustCase& robustCase) {
    CaseFile& file = robustCase.reportTemplate;
    if (rng.Percent(8)) {
        const uint32_t pick = rng.Below(4);
        file.shape = pick == 0 ? FileShape::Folder : pick == 1 ? FileShape::Absent : FileShape::Bytes;
        if (pick == 3) file.bytes = "%s%n%s not xml & <";
        return;
    }
    bool honest = true;
    file.bytes = EncodeDocument(rng, Body(rng), honest);
    if (rng.Percent(10)) DamageBytes(rng, file.bytes);
}
