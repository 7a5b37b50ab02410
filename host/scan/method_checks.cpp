#include "scan/method_checks.h"

#include <windows.h>

#include "detection/probes.h"
#include "scan/xml_chars.h"

namespace {

// A registry key name has at most 255 characters.
constexpr size_t kMaxKeyNameLength = 255;
// The binary must fit beside the shortest folder, "C:\", within MAX_PATH
// with its terminator.
constexpr size_t kMaxBinaryLength = MAX_PATH - 4;

bool KeyPathFits(const std::wstring& subKey) {
    if (subKey.empty()) return false;
    size_t start = 0;
    for (size_t cut = subKey.find(L'\\'); start <= subKey.size(); cut = subKey.find(L'\\', start)) {
        const size_t end = cut == std::wstring::npos ? subKey.size() : cut;
        if (end == start || end - start > kMaxKeyNameLength) return false;
        start = end + 1;
    }
    return true;
}

}  // namespace

bool FitsCatalogueRules(const DetectMethod& method) {
    const std::vector<std::wstring>& params = method.params;
    for (const std::wstring& param : params) {
        if (!SurvivesAttribute(param)) return false;
    }
    const std::wstring& binary = params[kParamBinary];
    return method.methodType == kMethodRegistryFile && KeyPathFits(params[kParamSubKey]) && !binary.empty() &&
           binary.size() <= kMaxBinaryLength && params[kParamBinaryType].size() <= 3;
}

bool FoundNow(const DetectMethod& method) {
    int32_t binaryType = 0;
    std::wstring foundPath;
    return ProbeRegistryFile(method.params, binaryType, foundPath) == 1;
}

std::vector<DetectMethod> WorkingMethods(const std::vector<DetectMethod>& candidates) {
    std::vector<DetectMethod> kept;
    for (const DetectMethod& method : candidates) {
        if (FitsCatalogueRules(method) && FoundNow(method)) kept.push_back(method);
    }
    return kept;
}
