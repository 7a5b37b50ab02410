#include "scan/draft_guids.h"

#include <cwctype>

#include "scan/name_guid.h"
#include "utf8_output.h"

namespace {

// The namespace of the draft's name-based GUIDs,
// {7E3C9A51-2B64-4F0D-9C1E-A58B6D03F247}.
constexpr GuidBytes kDraftNamespace = {0x7E, 0x3C, 0x9A, 0x51, 0x2B, 0x64, 0x4F, 0x0D,
                                       0x9C, 0x1E, 0xA5, 0x8B, 0x6D, 0x03, 0xF2, 0x47};

std::wstring UpperCase(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(towupper(c));
    return text;
}

}  // namespace

std::wstring DraftGuids::Assign(const InstalledProgram& program) {
    if (IsBracedGuid(program.keyName) && Claim(program.keyName)) return program.keyName;
    const std::wstring name =
        std::wstring(program.source.rootText) + L"\\" + program.source.environment + L"\\" + program.keyName;
    // A clash needs a key named exactly like another entry's derived GUID;
    // a counter then tells them apart.
    for (unsigned attempt = 0;; ++attempt) {
        const std::wstring text = attempt == 0 ? name : name + L"#" + std::to_wstring(attempt);
        const std::wstring guid = NameBasedGuid(kDraftNamespace, ToUtf8(text));
        if (Claim(guid)) return guid;
    }
}

bool DraftGuids::Claim(const std::wstring& guid) {
    return m_used.insert(UpperCase(guid)).second;
}
