#include "process_memory.h"
#include "win32/library_function.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <vector>

std::size_t PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) ? counters.PeakWorkingSetSize : 0;
}

std::size_t FreeTlsSlots() {
    std::vector<DWORD> taken;
    for (DWORD slot; (slot = TlsAlloc()) != TLS_OUT_OF_INDEXES;) taken.push_back(slot);
    for (const DWORD slot : taken) TlsFree(slot);
    return taken.size();
}

namespace {

// The system handle list (information class 16) as both Windows and Wine give
// it to a 32-bit process.
struct SystemHandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ACCESS_MASK access;
};
struct SystemHandleList {
    ULONG count;
    SystemHandleEntry entries[1];
};
using QuerySystemInformationFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
const ULONG kSystemHandleInformation = 16;
const LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

std::size_t CountInSystemList() {
    const auto query =
        LibraryFunction<QuerySystemInformationFn>(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation");
    if (!query) return 0;
    std::vector<char> buffer(1 << 20);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        const LONG status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == kInfoLengthMismatch) {
            buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 4096));
            continue;
        }
        if (status < 0) return 0;
        const auto* list = reinterpret_cast<const SystemHandleList*>(buffer.data());
        const DWORD self = GetCurrentProcessId();
        std::size_t count = 0;
        for (ULONG i = 0; i < list->count; ++i) count += list->entries[i].ownerPid == self ? 1 : 0;
        return count;
    }
    return 0;
}

}  // namespace

std::size_t HandlesInUse() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0) return count;
    return CountInSystemList();
}
