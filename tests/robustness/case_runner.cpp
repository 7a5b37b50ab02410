#include "case_runner.h"

#include "contract_check.h"
#include "staged_module.h"
#include "test_files.h"

namespace {

// The first line of the later snapshot that the earlier one lacks, or the reverse.
std::string FirstChange(const std::wstring& before, const std::wstring& after) {
    size_t same = 0;
    while (same < before.size() && same < after.size() && before[same] == after[same]) ++same;
    const std::wstring& longer = after.size() > same ? after : before;
    const size_t start = longer.rfind(L'\n', same == 0 ? 0 : same - 1);
    const size_t from = start == std::wstring::npos || same == 0 ? 0 : start + 1;
    return ToUtf8(longer.substr(from, longer.find(L'\n', from) - from));
}

}  // namespace

std::vector<std::string> RunCase(const RobustStage& stage, const RobustCase& robustCase) {
    UniqueFile lock;
    stage.WriteInputs(robustCase, lock);
    const std::wstring before = stage.OutsideSnapshot();
    IPCCheckPluginObject* object = nullptr;
    if (stage.Query(&object) != S_OK || !object) return {"PIQueryInterface(13) gave no object"};
    HostContext context = {0xC0FFEE, 0x5EED};
    CallbackLog::Reset();
    std::vector<std::string> problems;
    HostContext earlier = {0xBAD, 0xBAD};
    if (object->RegisterCallback(&CallbackLog::Record, robustCase.registerTwice ? &earlier : &context) != 1)
        problems.push_back("RegisterCallback did not return 1");
    // A null callback keeps the one registered before; the context is replaced.
    if (robustCase.registerTwice && object->RegisterCallback(nullptr, &context) != 1)
        problems.push_back("RegisterCallback with a null callback did not return 1");
    std::vector<RequestOutcome> outcomes;
    for (const std::wstring& request : robustCase.requests) {
        const size_t first = CallbackLog::Calls().size();
        RequestOutcome outcome;
        outcome.returned = object->HandleRequest(request.c_str());
        outcome.calls.assign(CallbackLog::Calls().begin() + first, CallbackLog::Calls().end());
        outcomes.push_back(outcome);
    }
    object->Release();
    for (const std::string& problem : CheckOutcomes(robustCase, outcomes, &context)) problems.push_back(problem);
    const std::wstring after = stage.OutsideSnapshot();
    if (after != before) problems.push_back("something outside the module folder changed: " + FirstChange(before, after));
    return problems;
}
