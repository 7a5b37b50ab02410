// Registry values the generated methods read: paths to real and missing files
// around the 260-character limit, with and without a terminator, in every
// value type, with odd separators.
#include "case_generator.h"

namespace {

std::wstring PaddedPath(const std::wstring& folder, size_t length) {
    std::wstring path = folder + L"\\";
    if (path.size() < length) path.append(length - path.size(), L'a');
    return path.substr(0, length);
}

std::wstring PathText(CaseRng& rng, const std::wstring& folder) {
    static const size_t lengths[] = {258, 259, 260, 261, 300, 520};
    switch (rng.Below(10)) {
        case 0: return folder + L"\\wareseek.dll";
        case 1: return folder + rng.Pick(std::vector<std::wstring>{L"", L"\\", L"\\\\", L"/", L"\\.\\"});
        case 2: return folder + L"\\config\\reporttempl.xml";
        case 3: return folder + L"\\missing\\x.exe";
        case 4: case 5: {
            std::wstring path = PaddedPath(folder, lengths[rng.Below(6)]);
            if (rng.Percent(30)) path.back() = L'\\';
            return path;
        }
        case 6: return rng.Pick(std::vector<std::wstring>{L"C:\\", L"", L"\\", L"C:", L"\\\\?\\C:\\", L"\\\\server\\share\\"});
        case 7: return L"\"" + folder + L"\\wareseek.dll\" -arg";
        case 8:
            if (rng.Percent(50)) return folder + L"/wareseek.dll";
            return folder + std::wstring(L"\\wareseek.dll\0junk", 17);  // a terminator inside the data
        default: return OddText(rng);
    }
}

std::string Bytes(const std::wstring& text, bool terminated) {
    std::string bytes(reinterpret_cast<const char*>(text.c_str()), (text.size() + (terminated ? 1 : 0)) * 2);
    return bytes;
}

CaseRegValue Value(CaseRng& rng, const std::wstring& name, const std::wstring& folder) {
    static const std::vector<DWORD> types = {REG_NONE,      REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_DWORD_BIG_ENDIAN,
                                             REG_LINK,      REG_MULTI_SZ,  REG_RESOURCE_LIST, REG_QWORD, 0x1234,
                                             0xFFFFFFFF};
    CaseRegValue value{name, rng.Percent(60) ? DWORD(REG_SZ) : rng.Pick(types), {}};
    value.data = Bytes(PathText(rng, folder), rng.Percent(70));
    if (value.type == REG_MULTI_SZ) value.data += std::string(2, '\0');
    if (value.type == REG_DWORD && rng.Percent(50)) value.data = std::string("\x01\x00\x00\x00", 4);
    if (!value.data.empty() && rng.Percent(5)) value.data.pop_back();  // an odd number of bytes
    return value;
}

}  // namespace

void GenerateRegistryValues(CaseRng& rng, const std::wstring& moduleFolder, RobustCase& robustCase) {
    for (uint32_t i = rng.Below(6); i > 0; --i) {
        std::wstring name = L"v" + std::to_wstring(i);
        if (rng.Percent(10)) name = rng.Percent(50) ? L"" : L"odd\\name %s";
        robustCase.values.push_back(Value(rng, name, moduleFolder));
    }
}
