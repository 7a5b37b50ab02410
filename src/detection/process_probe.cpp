#include <windows.h>

#include "catalogue/product_record.h"
#include "detection/probes.h"
#include "detection/process_list.h"
#include "detection/process_namesakes.h"
#include "detection/process_snapshot.h"
#include "detection/split_path.h"
#include "log/debug_log.h"
#include "win32/win_owners.h"

namespace {

// Lets this process open the processes of other users. The privilege stays
// enabled for the life of the host process. A standard user's token lacks it:
// the adjustment then succeeds without enabling anything, and the paths of
// processes that cannot be opened come from the process list instead.
bool EnableDebugPrivilege() {
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Receive())) return false;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &privileges.Privileges[0].Luid);
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    return AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr) != FALSE;
}

// Records a listed process under its image name. Until a method asks for the
// name, a later namesake replaces an earlier one; all are kept for weighing.
void NoteProcess(ProcessSnapshot& snapshot, const ListedProcess& process) {
    const auto entry = snapshot.processIds.emplace(process.image, process.id);
    if (entry.second) return;
    std::vector<uint32_t>& namesakes = snapshot.namesakes[process.image];
    if (namesakes.empty()) namesakes.push_back(entry.first->second);
    namesakes.push_back(process.id);
    entry.first->second = process.id;
}

bool FillProcessSnapshot(ProcessSnapshot& snapshot) {
    if (!EnableDebugPrivilege()) return false;
    std::vector<ListedProcess> processes;
    if (!ListRunningProcesses(processes)) return false;
    snapshot.paths.clear();
    snapshot.namesakes.clear();
    for (const ListedProcess& process : processes) {
        if (process.image.empty()) continue;
        NoteProcess(snapshot, process);
        CMLog::GetInstance().Log(L"progress name=%s", process.image.c_str());
    }
    return true;
}

bool TakeProcessSnapshot(ProcessSnapshot& snapshot, DetectionObserver* observer) {
    const bool taken = FillProcessSnapshot(snapshot);
    if (observer) observer->ProcessListTaken(snapshot.processIds.size());
    return taken;
}

// The path of the process's executable, read once per snapshot.
const std::wstring& KnownPath(ProcessSnapshot& snapshot, uint32_t processId) {
    auto known = snapshot.paths.find(processId);
    if (known == snapshot.paths.end()) {
        known = snapshot.paths.emplace(processId, MainExecutablePath(processId)).first;
    }
    return known->second;
}

// When several processes have the name, settles once which one it stands for.
void ChooseAmongNamesakes(ProcessSnapshot& snapshot, ProcessIdMap::iterator running) {
    const auto namesakes = snapshot.namesakes.find(running->first);
    if (namesakes == snapshot.namesakes.end()) return;
    std::vector<NamesakeProcess> weighed;
    for (uint32_t id : namesakes->second) weighed.push_back({id, !KnownPath(snapshot, id).empty(), InOwnSession(id)});
    running->second = PreferredNamesake(weighed);
    snapshot.namesakes.erase(namesakes);
}

}  // namespace

int32_t ProbeProcess(const std::vector<std::wstring>& params, int32_t& binaryType, ProcessSnapshot& snapshot,
                     std::wstring& foundPath, DetectionObserver* observer) {
    if (params.empty()) return 0;
    // An empty snapshot (never taken, or nothing named came back) is retried.
    if (snapshot.processIds.empty() && !TakeProcessSnapshot(snapshot, observer)) return 0;
    const auto running = snapshot.processIds.find(params[kParamProcess]);
    const bool isRunning = running != snapshot.processIds.end();
    if (isRunning) ChooseAmongNamesakes(snapshot, running);
    if (observer) observer->ProcessLookedUp(params[kParamProcess], isRunning, isRunning ? running->second : 0);
    if (!isRunning) return 0;
    const std::wstring& path = KnownPath(snapshot, running->second);
    if (observer) observer->ProcessPathRead(running->second, path);
    if (path.empty()) return 0;
    wchar_t folder[MAX_PATH] = {};
    wchar_t file[MAX_PATH] = {};
    binaryType = BinaryTypeFromFileName(SplitPath(path.c_str(), folder, file) ? file : path.c_str(), -1);
    foundPath = path;
    return 1;
}
