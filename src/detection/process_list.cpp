#include "detection/process_list.h"

#include <tlhelp32.h>

#include "win32/win_owners.h"

// A Toolhelp snapshot lists every process of the machine to every caller.
// WTSEnumerateProcessesW lists other sessions' processes only to
// administrators, so a host running as a standard user would never see the
// services of session 0 (security products, agents) that catalogues name.
// szExeFile is the image's file name.
bool ListRunningProcesses(std::vector<ListedProcess>& processes) {
    processes.clear();
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
        processes.push_back({entry.th32ProcessID, entry.szExeFile});
    }
    return !processes.empty();  // the list holds this process at least
}

// ProcessIdToSessionId needs no handle, so it answers for every process.
bool InOwnSession(uint32_t processId) {
    DWORD own = 0;
    DWORD session = 0;
    return ProcessIdToSessionId(GetCurrentProcessId(), &own) && ProcessIdToSessionId(processId, &session) &&
           session == own;
}
