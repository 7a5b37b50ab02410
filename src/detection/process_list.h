#pragma once
// The running processes of the machine and where their executables are.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct ListedProcess {
    uint32_t id = 0;
    std::wstring image;  // the executable's file name, in the case of the file on disk
};

// Every process of the machine, whichever user or session it runs for, in the
// system's order. False when no list could be taken.
bool ListRunningProcesses(std::vector<ListedProcess>& processes);

// The full path of a process's executable, each way the system gives it; each
// is empty when its way fails or the path does not fit MAX_PATH.
std::wstring ModuleListPath(uint32_t processId);    // its first module, from its module list
std::wstring QueriedImagePath(uint32_t processId);  // QueryFullProcessImageNameW
std::wstring ListedImagePath(uint32_t processId);   // the system's process list, no handle

// The first of the three ways above that gives a path.
std::wstring MainExecutablePath(uint32_t processId);

// The NT path of a process's image as the system's process list records it
// (\Device\HarddiskVolume2\...), without opening the process. The NTSTATUS of
// the query; the path is set only on success.
LONG ListedNtImagePath(uint32_t processId, std::wstring& ntPath);

// The drive-letter form of an NT device path ("\Device\HarddiskVolume2\x.exe"
// to "C:\x.exe", "\Device\Mup\server\share\x.exe" to "\\server\share\x.exe");
// empty when no drive maps the device.
std::wstring DrivePathFromDevicePath(const std::wstring& devicePath);

// Whether the process runs in the session of this process.
bool InOwnSession(uint32_t processId);
