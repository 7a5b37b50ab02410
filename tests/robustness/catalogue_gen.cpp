// Catalogues: products like the shipped ones, with methods that read the
// harness's registry values, then changes to their structure and bytes.
#include "byte_forms.h"
#include "case_generator.h"
#include "xml/xml_escape.h"
#include "test_files.h"

namespace {

struct Draft {
    CaseRng& rng;
    RobustCase& robustCase;
    bool clean = true;  // every name and GUID is known exactly
    bool lean = false;  // thousands of entries: usual values only, so the file stays a few MB
    uint32_t dropPercent = 0;    // attributes left out
    uint32_t repeatPercent = 0;  // attributes written twice (the file is then not XML)
};

// Appends an attribute, now and then dropped or written twice.
void PutAttribute(Draft& draft, std::wstring& xml, const wchar_t* name, const std::wstring& value) {
    if (draft.rng.Percent(draft.dropPercent)) return;
    xml += Attribute(name, value);
    if (draft.rng.Below(1000) < draft.repeatPercent * 10) xml += Attribute(name, value);
}

std::wstring Pick(Draft& draft, const std::vector<std::wstring>& usual, uint32_t oddPercent, bool number) {
    if (!draft.lean && draft.rng.Percent(oddPercent)) return number ? OddNumber(draft.rng) : OddText(draft.rng);
    return draft.rng.Pick(usual);
}

std::wstring ValueName(Draft& draft) {
    const std::vector<CaseRegValue>& values = draft.robustCase.values;
    if (!values.empty() && draft.rng.Percent(80)) return draft.rng.Pick(values).name;
    return draft.rng.Percent(50) ? L"" : L"missing";
}

std::wstring RegistryMethod(Draft& draft) {
    // HKCU mostly; then the other predefined keys (performance data among
    // them), unknown ones and texts that are no number.
    static const std::vector<std::wstring> roots = {
        L"80000001", L"80000001", L"80000001", L"80000002", L"80000000", L"80000003", L"80000004", L"80000005",
        L"80000006", L"80000050", L"80000060", L"80000007", L"0",        L"FFFFFFFF", L"zz",       L"12345678",
        L"180000001"};
    const std::wstring key = kRobustnessKey;
    const std::vector<std::wstring> subKeys = {key, key, key, key + L"\\", L"\\" + key,
                                               L"Software\\\\WareseekTests\\robustness", key + L"\\missing", L"",
                                               key + L"\\" + std::wstring(300, L'k')};  // past the key-name limit
    static const std::vector<std::wstring> binaries = {L"wareseek.dll", L"wareseek.dll", L"", L"reporttempl.xml",
                                                       L"..\\wareseek.dll", L"config", L"x.exe", L"a\\b\\"};
    std::wstring xml = L"<Method";
    PutAttribute(draft, xml, L"methodType", draft.rng.Percent(95) ? L"0" : OddNumber(draft.rng));
    PutAttribute(draft, xml, L"rootKey", Pick(draft, roots, 5, true));
    PutAttribute(draft, xml, L"subKey", Pick(draft, subKeys, 5, false));
    PutAttribute(draft, xml, L"value", ValueName(draft));
    PutAttribute(draft, xml, L"binary", Pick(draft, binaries, 10, false));
    PutAttribute(draft, xml, L"binaryType", Pick(draft, {L"0", L"1", L"2"}, 15, true));
    PutAttribute(draft, xml, L"binaryEvironment", Pick(draft, {L"0", L"1"}, 10, true));
    return xml + L"/>";
}

std::wstring ProcessMethod(Draft& draft) {
    static const std::vector<std::wstring> names = {L"explorer.exe", L"services.exe", L"wareseek_robustness.exe",
                                                    L"",             L"*",            L"EXPLORER.EXE"};
    std::wstring xml = L"<Method";
    PutAttribute(draft, xml, L"methodType", draft.rng.Percent(95) ? L"1" : OddNumber(draft.rng));
    PutAttribute(draft, xml, L"process", Pick(draft, names, 15, false));
    return xml + L"/>";
}

std::wstring Methods(Draft& draft, uint32_t count) {
    std::wstring xml;
    // Lean methods only read the registry: thousands of process lists would be the slow part.
    for (uint32_t i = 0; i < count; ++i)
        xml += draft.lean || draft.rng.Percent(80) ? RegistryMethod(draft) : ProcessMethod(draft);
    return xml;
}

// Names with the characters that need escaping, and some beyond ASCII.
std::wstring ProductName(Draft& draft) {
    static const std::vector<std::wstring> pieces = {L"Tool", L" & ", L"<", L">", L"\"", L"'", L"\xE9",
                                                     L"\x4E2D", L"\xD83D\xDE00", L"Pro", L" 2", L"%s", L"&amp;"};
    if (!draft.lean && draft.rng.Percent(8)) {
        draft.clean = false;
        return OddText(draft.rng);
    }
    std::wstring name;
    for (uint32_t count = 1 + draft.rng.Below(5); count > 0; --count) name += draft.rng.Pick(pieces);
    // Long enough that a report item with a few "%s" passes its length limit.
    if (draft.rng.Percent(5)) name += std::wstring(150 + draft.rng.Below(400), L'N');
    return name;
}

std::wstring Guid(Draft& draft) {
    if (draft.rng.Percent(3)) return draft.rng.Percent(50) ? L"" : L"{not-a-guid}";
    const wchar_t last = static_cast<wchar_t>(L'1' + draft.rng.Below(8));
    std::wstring guid = L"{5C1F3C4E-2D6B-4B8E-9F5A-0A1E6F7B100" + std::wstring(1, last) + L"}";
    if (draft.rng.Percent(5)) guid[1] = L'c';  // another key: GUIDs compare case-sensitively
    return guid;
}

std::wstring Product(Draft& draft, uint32_t methodCount) {
    const std::wstring name = ProductName(draft);
    const std::wstring guid = Guid(draft);
    std::wstring xml = L"<Product";
    const size_t before = xml.size();
    PutAttribute(draft, xml, L"name", name);
    PutAttribute(draft, xml, L"GUID", guid);
    // A dropped name or GUID reads as empty; a repeated one spoils the whole file.
    const std::wstring written = xml.substr(before);
    draft.robustCase.products.push_back({written.find(L" GUID=") == std::wstring::npos ? L"" : guid,
                                         written.find(L" name=") == std::wstring::npos ? L"" : name});
    PutAttribute(draft, xml, L"productType", Pick(draft, {L"0", L"1", L"2"}, 10, true));
    PutAttribute(draft, xml, L"category", Pick(draft, {L"1", L"2", L"3"}, 10, true));
    if (draft.lean) return xml + L"><Detect>" + Methods(draft, methodCount) + L"</Detect></Product>";
    xml += L"><url>https://example.com/" + XmlEscape(OddText(draft.rng)) + L"</url>";
    xml += L"<Detail>" + XmlEscape(OddText(draft.rng)) + L"</Detail><OS>" + XmlEscape(OddNumber(draft.rng)) + L"</OS>";
    xml += L"<Service" + Attribute(L"type", OddNumber(draft.rng)) + Attribute(L"day", OddNumber(draft.rng)) + L"/>";
    xml += L"<Setup" + Attribute(L"name", OddText(draft.rng)) + Attribute(L"wait", OddNumber(draft.rng)) + L"/>";
    return xml + L"<Detect>" + Methods(draft, methodCount) + L"</Detect></Product>";
}

std::wstring Nest(const std::wstring& tag, uint32_t depth, const std::wstring& inside) {
    std::wstring open, close;
    for (uint32_t i = 0; i < depth; ++i) {
        open += L"<" + tag + L">";
        close += L"</" + tag + L">";
    }
    return open + inside + close;
}

std::wstring Products(Draft& draft) {
    CaseRng& rng = draft.rng;
    std::wstring xml;
    for (uint32_t count = rng.Below(8); count > 0; --count) xml += Product(draft, rng.Below(4));
    draft.lean = true;
    if (rng.Percent(2))  // thousands of products
        for (uint32_t count = 1000 + rng.Below(2000); count > 0; --count) xml += Product(draft, rng.Below(3));
    if (rng.Percent(3)) xml += Product(draft, 1000 + rng.Below(3000));  // thousands of methods
    draft.lean = false;
    if (rng.Percent(3)) xml += Nest(L"Product", 2 + rng.Below(200), Product(draft, 1));
    if (rng.Percent(2)) xml += L"<!-- <Product name=\"hidden\"/> --><![CDATA[<Product/>]]><?pi x?>";
    return xml;
}

// A DOCTYPE with internal entities, a small expansion chain or an external one.
std::wstring Doctype(Draft& draft, std::wstring& body) {
    draft.clean = false;
    switch (draft.rng.Below(3)) {
        case 0:
            body = L"<Product name=\"&n; &amp; co\" GUID=\"{e}\" productType=\"0\"/>" + body;
            return L"<!DOCTYPE Products [<!ENTITY n \"Name &#60;x&#62;\">]>";
        case 1: {
            std::wstring dtd = L"<!DOCTYPE Products [<!ENTITY l0 \"lol\">";
            for (int i = 1; i < 6; ++i) {  // each level: ten references to the level below
                std::wstring refs;
                for (int k = 0; k < 10; ++k) refs += L"&l" + std::to_wstring(i - 1) + L";";
                dtd += L"<!ENTITY l" + std::to_wstring(i) + L" \"" + refs + L"\">";
            }
            body = L"<Product name=\"&l5;\" GUID=\"{l}\" productType=\"0\"/>" + body;
            return dtd + L"]>";
        }
        default:
            body = L"<Product name=\"&ext;\" GUID=\"{x}\" productType=\"0\"/>" + body;
            return draft.rng.Percent(50) ? L"<!DOCTYPE Products [<!ENTITY ext SYSTEM \"C:\\windows\\win.ini\">]>"
                                         : L"<!DOCTYPE Products SYSTEM \"nothere.dtd\">";
    }
}

std::wstring Document(Draft& draft) {
    CaseRng& rng = draft.rng;
    std::wstring body = Products(draft);
    std::wstring prologue = rng.Percent(5) ? Doctype(draft, body) : L"";
    std::wstring root = L"Products";
    if (rng.Percent(2)) root = rng.Percent(50) ? L"products" : L"Product";
    if (rng.Percent(2)) body = Nest(L"n", 100 + rng.Below(5000), body);  // products too deep to count
    std::wstring xml = prologue + L"<" + root + L">" + body + L"</" + root + L">";
    if (rng.Percent(1)) xml += L"<Products/>";  // a second root
    return xml;
}

// The shipped sample catalogues, as the build staged them.
const std::vector<std::string>& Samples() {
    static const std::vector<std::string> samples = {
        ReadBytes(StageFolder() + L"\\ProductCfg\\SMBPlugins_x86.xml"),
        ReadBytes(StageFolder() + L"\\ProductCfg\\SMBPlugins_x64.xml")};
    return samples;
}

}  // namespace

void GenerateCatalogue(CaseRng& rng, RobustCase& robustCase) {
    Draft draft{rng, robustCase};
    if (rng.Percent(30)) {
        draft.dropPercent = 5;
        draft.repeatPercent = rng.Percent(20) ? 1 : 0;
    }
    if (rng.Percent(6)) {
        robustCase.catalogue.shape = rng.Percent(33) ? FileShape::Folder : rng.Percent(50) ? FileShape::Absent
                                                                                          : FileShape::Bytes;
        return;  // empty bytes: a zero-byte file
    }
    robustCase.catalogue.locked = rng.Percent(3);
    bool honest = true;
    if (rng.Percent(10)) {  // a shipped sample, whole or damaged
        robustCase.catalogue.bytes = rng.Pick(Samples());
        if (rng.Percent(70)) DamageBytes(rng, robustCase.catalogue.bytes);
        return;
    }
    robustCase.catalogue.bytes = EncodeDocument(rng, Document(draft), honest);
    if (rng.Percent(15)) {
        DamageBytes(rng, robustCase.catalogue.bytes);
        honest = false;
    }
    robustCase.namesKnown = draft.clean && honest;
}
