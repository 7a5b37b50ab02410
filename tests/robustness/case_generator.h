#pragma once
// Makes robustness cases: catalogues, templates, requests and registry values,
// mostly valid and shaped like the shipped ones, with structure-aware changes
// (dropped, repeated and extreme attributes, deep nesting, entities, other
// encodings) and byte-level damage on top.
#include <string>

#include "case_rng.h"
#include "robust_case.h"

// The registry key the generated methods read, below HKEY_CURRENT_USER.
extern const wchar_t kRobustnessKey[];

// moduleFolder: where the module copy lives, for values naming real files.
RobustCase GenerateCase(uint64_t caseSeed, const std::wstring& moduleFolder);

// Parts, each in its own file.
void GenerateCatalogue(CaseRng& rng, RobustCase& robustCase);
void GenerateTemplate(CaseRng& rng, RobustCase& robustCase);
void GenerateRequests(CaseRng& rng, RobustCase& robustCase);
void GenerateRegistryValues(CaseRng& rng, const std::wstring& moduleFolder, RobustCase& robustCase);

// Shared pools.
std::wstring OddNumber(CaseRng& rng);  // -1, 0x10, 99999999999, " 7"...
std::wstring OddText(CaseRng& rng);    // specials, % sequences, surrogates, long runs
std::wstring Attribute(const wchar_t* name, const std::wstring& rawValue);  // escapes the value
