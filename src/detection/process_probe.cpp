#include <windows.h>
#include <psapi.h>
#include <wtsapi32.h>

#include "catalogue/product_manager.h"
#include "detection/probes.h"
#include "detection/split_path.h"
#include "support/debug_log.h"
#include "support/win_owners.h"

namespace {

// Lets this process open the processes of other users. The privilege stays
// enabled for the life of the host process.
bool EnableDebugPrivilege() {
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Receive())) return false;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &privileges.Privileges[0].Luid);
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    return AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr) != FALSE;
}

// Owns the list that WTSEnumerateProcessesW hands out.
class WtsProcessList {
public:
    WtsProcessList() {
        if (!WTSEnumerateProcessesW(WTS_CURRENT_SERVER_HANDLE, 0, 1, &m_entries, &m_count)) {
            m_entries = nullptr;
            m_count = 0;
        }
    }
    ~WtsProcessList() {
        if (m_entries) WTSFreeMemory(m_entries);
    }
    WtsProcessList(const WtsProcessList&) = delete;
    WtsProcessList& operator=(const WtsProcessList&) = delete;

    bool Succeeded() const { return m_entries != nullptr; }
    const WTS_PROCESS_INFOW* begin() const { return m_entries; }
    const WTS_PROCESS_INFOW* end() const { return m_entries + m_count; }

private:
    WTS_PROCESS_INFOW* m_entries = nullptr;
    DWORD m_count = 0;
};

bool FillProcessSnapshot(ProductManager& manager) {
    if (!EnableDebugPrivilege()) return false;
    WtsProcessList processes;
    if (!processes.Succeeded()) return false;
    manager.processPaths.clear();
    for (const WTS_PROCESS_INFOW& process : processes) {
        if (!process.pProcessName || !*process.pProcessName) continue;
        manager.processIds[process.pProcessName] = process.ProcessId;  // a later duplicate wins
        CMLog::GetInstance().Log(L"progress name=%s", process.pProcessName);
    }
    return true;
}

bool TakeProcessSnapshot(ProductManager& manager, DetectionObserver* observer) {
    const bool taken = FillProcessSnapshot(manager);
    if (observer) observer->ProcessListTaken(manager.processIds.size());
    return taken;
}

// Path of the process's first module, read from its module list; empty when
// the process can't be opened or its modules can't be read.
std::wstring FirstModulePath(DWORD processId) {
    UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process) return std::wstring();
    HMODULE modules[1024] = {};
    DWORD needed = 0;
    if (!EnumProcessModules(process.Get(), modules, sizeof modules, &needed)) return std::wstring();
    wchar_t path[MAX_PATH] = {};
    if (GetModuleFileNameExW(process.Get(), modules[0], path, MAX_PATH) == 0) return std::wstring();
    return path;
}

// Path of the process's image as the system records it. This answers where
// the module list does not: a 32-bit process cannot list the modules of a
// 64-bit one (error 299), and protected processes grant only limited access.
std::wstring ImagePath(DWORD processId) {
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return std::wstring();
    wchar_t path[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    if (!QueryFullProcessImageNameW(process.Get(), 0, path, &length)) return std::wstring();
    return std::wstring(path, length);
}

// Full path of the process's main executable, empty when it can't be read.
std::wstring MainModulePath(DWORD processId) {
    std::wstring path = FirstModulePath(processId);
    return path.empty() ? ImagePath(processId) : path;
}

}  // namespace

int32_t ProbeProcess(const std::vector<std::wstring>& params, int32_t& binaryType, ProductManager& manager,
                     std::wstring& foundPath, DetectionObserver* observer) {
    if (params.empty()) return 0;
    // An empty snapshot (never taken, or nothing named came back) is retried.
    if (manager.processIds.empty() && !TakeProcessSnapshot(manager, observer)) return 0;
    const auto running = manager.processIds.find(params[kParamProcess]);
    const bool isRunning = running != manager.processIds.end();
    if (observer) observer->ProcessLookedUp(params[kParamProcess], isRunning, isRunning ? running->second : 0);
    if (!isRunning) return 0;
    auto known = manager.processPaths.find(running->second);
    if (known == manager.processPaths.end()) {
        known = manager.processPaths.emplace(running->second, MainModulePath(running->second)).first;
    }
    const std::wstring& path = known->second;
    if (observer) observer->ProcessPathRead(running->second, path);
    if (path.empty()) return 0;
    wchar_t folder[MAX_PATH] = {};
    wchar_t file[MAX_PATH] = {};
    binaryType = BinaryTypeFromFileName(SplitPath(path.c_str(), folder, file) ? file : path.c_str(), -1);
    foundPath = path;
    return 1;
}
