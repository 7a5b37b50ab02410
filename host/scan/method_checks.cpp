#include "scan/method_checks.h"

#include "check/method_rules.h"
#include "detection/probes.h"
#include "scan/xml_chars.h"

namespace {

// The method as the draft writes it, in the form --check judges.
MethodEntry AsWritten(const DetectMethod& method) {
    const std::vector<std::wstring>& params = method.params;
    MethodEntry entry;
    entry.attributes = {{L"methodType", L"0"},
                        {L"rootKey", params[kParamRootKey]},
                        {L"subKey", params[kParamSubKey]},
                        {L"value", params[kParamValue]},
                        {L"binary", params[kParamBinary]},
                        {L"binaryType", params[kParamBinaryType]},
                        {L"binaryEvironment", params[kParamBinaryEnvironment]}};
    return entry;
}

}  // namespace

bool FitsCatalogueRules(const DetectMethod& method) {
    for (const std::wstring& param : method.params) {
        if (!SurvivesAttribute(param)) return false;
    }
    return method.methodType == kMethodRegistryFile && !method.params[kParamBinary].empty() &&
           CheckMethod(AsWritten(method)).empty();
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
