#include "explain/explanation_text.h"

#include "explain/explanation_words.h"
#include "error_text.h"
#include "registry_root.h"

namespace {

const std::wstring kStep = L"    ";

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

std::wstring PathStepLine(const PathStep& step) {
    if (step.tooLong) return step.path + L" joined with " + step.binary + L" is too long for a path: no such file";
    const std::wstring where = step.redirectionOff ? L" (in the 64-bit system folder)" : L"";
    if (step.question == PathQuestion::kIsFolder) {
        return step.path + (step.answer ? L" is a folder" : L" is not a folder") + where;
    }
    return step.path + (step.answer ? L" exists" : L" does not exist") + where;
}

// The text read and, for a REG_EXPAND_SZ value, the path it expands to.
std::wstring ValueLine(const MethodExplanation& method) {
    std::wstring line = L"value is " + Quoted(method.text);
    if (method.outcome == RegistryReadOutcome::kExpansionTooLong) {
        return line + L" (REG_EXPAND_SZ), whose expansion is too long for a path: no such file";
    }
    return method.expandable ? line + L" (REG_EXPAND_SZ), expanded " + Quoted(method.expanded) : line;
}

std::wstring RegistryLines(const MethodExplanation& method, bool wow64) {
    const auto& params = method.method.params;
    const std::wstring& value = params[kParamValue];
    std::wstring text = L"registry " + RootName(method.root) + L"\\" + params[kParamSubKey] + L", value " +
                        (value.empty() ? L"(default)" : Quoted(value)) + L", " + ViewName(method, wow64) +
                        L" view, binary " + Quoted(params[kParamBinary]) + L"\r\n";
    if (!method.registryRead) return text;
    text += kStep;
    if (method.outcome == RegistryReadOutcome::kRead || method.outcome == RegistryReadOutcome::kExpansionTooLong) {
        text += ValueLine(method) + L"\r\n";
    } else if (method.outcome == RegistryReadOutcome::kRootRefused) {
        text += OutcomeName(method) + L": the module opens only " + RegistryRootList() + L"\r\n";
    } else {
        const bool hasStatus = method.outcome != RegistryReadOutcome::kNoTerminator;
        text += OutcomeName(method) + (hasStatus ? L": " + ErrorText(static_cast<DWORD>(method.status)) : L"") +
                L"\r\n";
    }
    for (const PathStep& step : method.paths) text += kStep + PathStepLine(step) + L"\r\n";
    return text;
}

std::wstring ProcessLines(const MethodExplanation& method) {
    std::wstring text = L"process " + Quoted(method.method.params[kParamProcess]) + L"\r\n";
    if (method.processListTaken) {
        text += kStep + (method.processCount ? L"process list taken: " + std::to_wstring(method.processCount) +
                                                   L" image names"
                                             : std::wstring(L"the process list could not be taken")) +
                L"\r\n";
    }
    if (method.processLookedUp) {
        text += kStep + (method.running ? L"running as process " + std::to_wstring(method.processId)
                                        : std::wstring(L"not running")) +
                L"\r\n";
    }
    if (method.processPathRead) {
        text += kStep + (method.processPath.empty() ? std::wstring(L"its path can't be read")
                                                    : L"its path is " + method.processPath) +
                L"\r\n";
    }
    return text;
}

std::wstring MethodLines(const MethodExplanation& method, bool wow64) {
    std::wstring text = L"  method " + std::to_wstring(method.index + 1) + L": ";
    switch (method.method.methodType) {
        case kMethodRegistryFile: text += RegistryLines(method, wow64); break;
        case kMethodProcess: text += ProcessLines(method); break;
        default: text += L"of unknown kind " + std::to_wstring(method.method.methodType) + L": skipped\r\n";
    }
    if (!method.found) return text + kStep + L"=> not found\r\n";
    text += kStep + L"=> found";
    if (!method.foundPath.empty()) {
        text += L": " + method.foundPath + L", binary type " + std::to_wstring(method.binaryType);
    }
    return text + L"\r\n";
}

std::wstring Verdict(const ProductExplanation& product) {
    if (product.installed) return L"installed, by method " + std::to_wstring(product.decidedBy + 1);
    return product.methodCount == 0 ? L"not installed: it has no methods" : L"not installed: no method found it";
}

std::wstring ProductLines(const ProductExplanation& product, bool wow64) {
    std::wstring text = product.guid + L" " + Quoted(product.name) + L" (group " + std::to_wstring(product.group) +
                        L"): " + Verdict(product) + L"\r\n";
    for (const MethodExplanation& method : product.methods) text += MethodLines(method, wow64);
    const size_t untried = product.methodCount - product.methods.size();
    if (untried != 0) {
        text += L"  " + std::to_wstring(untried) + (untried == 1 ? L" later method" : L" later methods") +
                L" not tried\r\n";
    }
    return text;
}

// The address a download would use, and whether the module would ask for it.
std::wstring DownloadLine(const DownloadExplanation& download) {
    std::wstring text = L"Download address: " +
                        (download.address.empty() ? std::wstring(L"none in ProductCfg.ini") : download.address);
    if (!download.problem.empty()) return text + L"; the module would not ask for it: " + download.problem + L"\r\n";
    return text + (download.signedDownload ? L" (signed: the catalogue and its signature fit every limit)\r\n"
                                           : L"\r\n");
}

}  // namespace

std::wstring ExplanationText(const Explanation& explanation) {
    std::wstring text = L"Catalogue: " + explanation.cataloguePath + L"\r\n";
    if (explanation.download) text += DownloadLine(*explanation.download);
    // Paths are tested as the 32-bit module sees them: under WOW64 the system
    // folder is redirected, which explains many a surprise, except for the
    // values of the 64-bit view, which name the 64-bit one.
    text += explanation.wow64 ? L"Registry views: 32-bit and 64-bit; paths as a 32-bit process sees them "
                                L"(system32 is SysWOW64), except system32 paths of 64-bit-view values, tested in "
                                L"the 64-bit system folder\r\n"
                              : L"Registry view: 32-bit only (32-bit Windows)\r\n";
    for (const ProductExplanation& product : explanation.products) text += L"\r\n" + ProductLines(product, explanation.wow64);
    text += L"\r\n" + std::to_wstring(explanation.products.size()) + L" products, " +
            std::to_wstring(explanation.InstalledCount()) + L" installed\r\n";
    return text;
}
