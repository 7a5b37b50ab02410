#include "baselines.h"

#include <windows.h>
#include <psapi.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <map>

#include "detection/image_name_order.h"
#include "win32/win_owners.h"

namespace {

bool RegistryMethodFinds(const GeneratedMethod& method) {
    const HKEY root = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(wcstoul(method.rootKey.c_str(), nullptr, 16)));
    UniqueRegKey key;
    if (RegOpenKeyExW(root, method.subKey.c_str(), 0, KEY_READ | (method.view64 ? KEY_WOW64_64KEY : 0),
                      key.Receive()) != ERROR_SUCCESS) {
        return false;
    }
    wchar_t text[MAX_PATH] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (RegQueryValueExW(key.Get(), method.value.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    if (PathIsDirectoryW(text)) PathAppendW(text, method.binary.c_str());
    return PathFileExistsW(text) != FALSE;
}

std::wstring ProcessPath(DWORD id) {
    wchar_t path[MAX_PATH] = {};
    UniqueHandle full(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
    HMODULE first = nullptr;
    DWORD needed = 0;
    if (full && EnumProcessModules(full.Get(), &first, sizeof first, &needed) &&
        GetModuleFileNameExW(full.Get(), first, path, MAX_PATH)) {
        return path;
    }
    UniqueHandle limited(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    DWORD length = MAX_PATH;
    return limited && QueryFullProcessImageNameW(limited.Get(), 0, path, &length) ? path : L"";
}

// The running processes, listed once, and the paths read so far.
class Processes {
public:
    bool Finds(const std::wstring& image) {
        if (!m_listed) List();
        const auto running = m_ids.find(image);
        if (running == m_ids.end()) return false;
        auto path = m_paths.find(running->second);
        if (path == m_paths.end()) path = m_paths.emplace(running->second, ProcessPath(running->second)).first;
        return !path->second.empty();
    }

private:
    void List() {
        m_listed = true;
        UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        PROCESSENTRY32W entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = snapshot && Process32FirstW(snapshot.Get(), &entry); more;
             more = Process32NextW(snapshot.Get(), &entry)) {
            m_ids[entry.szExeFile] = entry.th32ProcessID;
        }
    }

    bool m_listed = false;
    std::map<std::wstring, DWORD, ImageNameLess> m_ids;
    std::map<DWORD, std::wstring> m_paths;
};

}  // namespace

int BareDetection(const std::vector<GeneratedProduct>& products) {
    Processes processes;
    int found = 0;
    for (const GeneratedProduct& product : products) {
        for (const GeneratedMethod& method : product.methods) {
            if (method.process ? processes.Finds(method.image) : RegistryMethodFinds(method)) {
                ++found;
                break;
            }
        }
    }
    return found;
}
