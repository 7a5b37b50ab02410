#include "explain/explain_mode.h"

#include "catalogue/catalogue_parser.h"
#include "exit_codes.h"
#include "explain/explanation.h"
#include "explain/explanation_json.h"
#include "explain/explanation_text.h"
#include "request/module_loader.h"
#include "support/wow64.h"
#include "update/download_plan.h"
#include "utf8_output.h"

namespace {

// The catalogue the module at modulePath would read in this process:
// ProductCfg beside it, the _x64 file under WOW64.
std::wstring ModuleCatalogue(const std::wstring& modulePath) {
    UpdateWow64Flag(CWOW64());
    return CataloguePathIn(ChosenModuleFolder(modulePath));
}

// The download the module would ask for, with the module's own checks.
DownloadExplanation ModuleDownload(const std::wstring& modulePath) {
    const CatalogueDownloadPlan plan = PlanCatalogueDownload(ChosenModuleFolder(modulePath));
    return DownloadExplanation{plan.address, !plan.key.empty(), plan.problem};
}

}  // namespace

int RunExplain(const HostOptions& options) {
    std::wstring path = options.cataloguePath;
    if (path.empty()) path = ModuleCatalogue(options.modulePath);
    Explanation explanation;
    std::wstring error;
    if (!ExplainCatalogue(path, explanation, error)) {
        WriteErrorLine(error);
        return kExitLoadFailed;
    }
    if (options.cataloguePath.empty()) explanation.download = ModuleDownload(options.modulePath);
    WriteOut(options.json ? ExplanationJson(explanation) : ExplanationText(explanation));
    return kExitOk;
}
