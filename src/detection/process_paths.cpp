#include <windows.h>
#include <psapi.h>

#include <cwctype>

#include "detection/process_list.h"
#include "text/name_compare.h"
#include "win32/library_function.h"
#include "win32/win_owners.h"

namespace {

// SystemProcessIdInformation: for a process id, the NT path of its image.
constexpr ULONG kSystemProcessIdInformation = 88;
constexpr LONG kStatusSuccess = 0;
constexpr LONG kStatusProcedureNotFound = static_cast<LONG>(0xC000007A);

struct CountedText {  // UNICODE_STRING
    USHORT length;
    USHORT maximumLength;
    wchar_t* buffer;
};

// SYSTEM_PROCESS_ID_INFORMATION: the caller names the process and lends the
// buffer; the system fills in the text's length.
struct ProcessIdInformation {
    HANDLE processId;
    CountedText imageName;
};

using QuerySystemInformationFn = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);

// The text before the first terminator of a QueryDosDeviceW answer: the
// device a drive letter names now.
std::wstring DeviceOfDrive(wchar_t letter) {
    const wchar_t drive[] = {letter, L':', L'\0'};
    wchar_t device[MAX_PATH] = {};
    return QueryDosDeviceW(drive, device, MAX_PATH) ? device : std::wstring();
}

bool StartsWithDevice(const std::wstring& path, const std::wstring& device) {
    return !device.empty() && path.size() > device.size() && path[device.size()] == L'\\' &&
           StartsWithName(path, device);
}

std::wstring FittingPath(std::wstring path) {
    return path.size() < MAX_PATH ? path : std::wstring();
}

}  // namespace

// The module list needs PROCESS_VM_READ, and a 32-bit process cannot list
// the modules of a 64-bit one (error 299).
std::wstring ModuleListPath(uint32_t processId) {
    UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process) return std::wstring();
    HMODULE modules[1024] = {};
    DWORD needed = 0;
    if (!EnumProcessModules(process.Get(), modules, sizeof modules, &needed)) return std::wstring();
    wchar_t path[MAX_PATH] = {};
    if (GetModuleFileNameExW(process.Get(), modules[0], path, MAX_PATH) == 0) return std::wstring();
    return path;
}

// Limited information is granted where the module list is not: 64-bit and
// protected processes.
std::wstring QueriedImagePath(uint32_t processId) {
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return std::wstring();
    wchar_t path[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    if (!QueryFullProcessImageNameW(process.Get(), 0, path, &length)) return std::wstring();
    return std::wstring(path, length);
}

// A standard user cannot open other users' processes or services at all, not
// even for limited information. The system's process list still records each
// image's NT path, and NtQuerySystemInformation with this class hands it out
// for a process id without a handle: the kernel looks the process up by id
// and reads its image name, with no access check against the caller, as it
// lists every process's name to every caller. Where the class is unknown or
// refused, the status says so and the path stays empty, as it would without
// this way. ntdll is in every process, so the export is resolved at run time
// from the loaded copy rather than linked. Wine 8 does not know the class
// (STATUS_INVALID_INFO_CLASS); it needs it not, since it opens every process.
LONG ListedNtImagePath(uint32_t processId, std::wstring& ntPath) {
    const auto query =
        LibraryFunction<QuerySystemInformationFn>(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation");
    if (!query) return kStatusProcedureNotFound;
    // A device prefix and a MAX_PATH path fit; a longer answer would not fit
    // the found path anyway (STATUS_INFO_LENGTH_MISMATCH).
    wchar_t buffer[2 * MAX_PATH] = {};
    ProcessIdInformation information = {};
    information.processId = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(processId));
    information.imageName = {0, static_cast<USHORT>(sizeof buffer), buffer};
    const LONG status = query(kSystemProcessIdInformation, &information, sizeof information, nullptr);
    if (status == kStatusSuccess) ntPath.assign(buffer, information.imageName.length / sizeof(wchar_t));
    return status;
}

// The DOS-devices form of a path (\??\C:\x.exe, \??\UNC\server\share\x.exe),
// which Wine 10 gives for the system's process list: the drive or network
// path itself, or empty when it is neither.
std::wstring PathFromDosDevicesForm(const std::wstring& path) {
    const std::wstring rest = path.substr(4);
    if (StartsWithDevice(rest, L"UNC")) return FittingPath(L"\\" + rest.substr(3));
    const bool drive = rest.size() > 2 && iswalpha(rest[0]) && rest[1] == L':' && rest[2] == L'\\';
    return drive ? FittingPath(rest) : std::wstring();
}

std::wstring DrivePathFromDevicePath(const std::wstring& devicePath) {
    if (devicePath.compare(0, 4, L"\\??\\") == 0) return PathFromDosDevicesForm(devicePath);
    const std::wstring network = L"\\Device\\Mup";
    if (StartsWithDevice(devicePath, network)) return FittingPath(L"\\" + devicePath.substr(network.size()));
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        const std::wstring device = DeviceOfDrive(letter);
        if (StartsWithDevice(devicePath, device)) {
            return FittingPath(std::wstring{letter, L':'} + devicePath.substr(device.size()));
        }
    }
    return std::wstring();
}

std::wstring ListedImagePath(uint32_t processId) {
    std::wstring ntPath;
    if (ListedNtImagePath(processId, ntPath) != kStatusSuccess) return std::wstring();
    return DrivePathFromDevicePath(ntPath);
}

std::wstring MainExecutablePath(uint32_t processId) {
    std::wstring path = ModuleListPath(processId);
    if (path.empty()) path = QueriedImagePath(processId);
    if (path.empty()) path = ListedImagePath(processId);
    return path;
}
