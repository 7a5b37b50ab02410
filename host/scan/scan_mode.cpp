#include "scan/scan_mode.h"

#include "exit_codes.h"
#include "scan/candidate_methods.h"
#include "scan/draft_guids.h"
#include "scan/draft_writer.h"
#include "scan/installed_programs.h"
#include "scan/method_checks.h"
#include "support/wow64.h"
#include "utf8_output.h"

namespace {

DraftEntry EntryFor(const InstalledProgram& program, AppPathsIndex& appPaths, DraftGuids& guids) {
    DraftEntry entry;
    entry.name = program.displayName;
    entry.where = std::wstring(program.source.label) + L", key " + program.keyName;
    const std::vector<DetectMethod> candidates = CandidateMethods(program, appPaths);
    entry.methods = WorkingMethods(candidates);
    if (!entry.methods.empty()) {
        entry.guid = guids.Assign(program);
        entry.version = program.displayVersion;
    } else if (candidates.empty()) {
        entry.leftOutReason = L"its entry names no main executable and no icon file";
    } else {
        entry.leftOutReason = L"none of its " + std::to_wstring(candidates.size()) + L" candidate methods finds it";
    }
    return entry;
}

}  // namespace

int RunScan(const HostOptions&) {
    const bool wow64 = CWOW64().IsWow64Process();
    std::vector<DraftEntry> entries;
    DraftGuids guids;
    bool anyList = false;
    for (const UninstallSource& source : UninstallSources(wow64)) {
        std::vector<InstalledProgram> programs;
        if (!ReadInstalledPrograms(source, programs)) continue;
        anyList = true;
        AppPathsIndex appPaths(source);
        for (const InstalledProgram& program : programs) entries.push_back(EntryFor(program, appPaths, guids));
    }
    if (!anyList) {
        WriteErrorLine(L"--scan: no installed-programs list could be read");
        return kExitScanFailed;
    }
    WriteOut(DraftCatalogueText(entries));
    return kExitOk;
}
