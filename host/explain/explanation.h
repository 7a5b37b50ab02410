#pragma once
// What --explain shows: for every product of a catalogue, each method the
// detection pass ran, what it read and tested, and which method decided.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/product_record.h"
#include "detection/detection_observer.h"

// One file-system question and its answer, or a join that could not fit.
struct PathStep {
    std::wstring path;  // for a join too long: the folder
    PathQuestion question = PathQuestion::kExists;
    bool answer = false;
    bool tooLong = false;
    std::wstring binary;  // for a join too long: what was to be joined
    bool redirectionOff = false;  // asked of the 64-bit system folder
};

struct MethodExplanation {
    size_t index = 0;  // from 0, in catalogue order
    DetectMethod method;
    // Registry/file method.
    bool registryRead = false;  // the read below happened
    HKEY root = nullptr;
    bool view64 = false;
    RegistryReadOutcome outcome = RegistryReadOutcome::kRead;
    LONG status = ERROR_SUCCESS;
    std::wstring text;
    bool expandable = false;  // REG_EXPAND_SZ: expanded is the path tested
    std::wstring expanded;
    std::vector<PathStep> paths;
    // Process method.
    bool processListTaken = false;  // this method took the pass's process list
    size_t processCount = 0;
    bool processLookedUp = false;
    bool running = false;
    uint32_t processId = 0;
    bool processPathRead = false;
    std::wstring processPath;
    // Outcome.
    bool found = false;
    std::wstring foundPath;
    int32_t binaryType = -1;
};

struct ProductExplanation {
    uint32_t group = 0;
    std::wstring guid;
    std::wstring name;
    size_t methodCount = 0;                  // in the catalogue; later ones are not tried after a find
    std::vector<MethodExplanation> methods;  // those that ran, in order
    bool installed = false;
    int decidedBy = -1;  // index of the method that found the product
};

// The download the module would ask for, when the catalogue explained is the
// one beside the module.
struct DownloadExplanation {
    std::wstring address;  // from ProductCfg.ini; empty: none set
    bool signedDownload = false;
    std::wstring problem;  // why the module would not ask for it; empty when it would
};

struct Explanation {
    std::wstring cataloguePath;
    std::optional<DownloadExplanation> download;
    bool wow64 = false;  // a 32-bit process on 64-bit Windows: two registry views
    std::vector<ProductExplanation> products;
    size_t InstalledCount() const;
};

// Loads the catalogue at path with the module's own loader and runs the
// module's own detection pass on it, recording every step. False with a
// one-line error when the file is missing or does not load.
bool ExplainCatalogue(const std::wstring& path, Explanation& explanation, std::wstring& error);
