#pragma once
// GUIDs for the draft's products: unique within the draft, the same on every
// run over the same installed programs.
#include <set>
#include <string>

#include "scan/installed_programs.h"

class DraftGuids {
public:
    // The entry's key name when it is a braced GUID not used yet in this
    // draft (installers often name the entry after the product code), else a
    // name-based GUID of the entry's root key, view and key name.
    std::wstring Assign(const InstalledProgram& program);

private:
    bool Claim(const std::wstring& guid);

    std::set<std::wstring> m_used;  // upper case
};
