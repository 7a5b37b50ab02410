#include "request/module_loader.h"

#include "error_text.h"
#include "text/hex_text.h"
#include "text/path_parts.h"
#include "win32/library_function.h"
#include "win32/module_file.h"

#include <cwchar>

namespace {

bool HasFolder(const std::wstring& path) {
    return path.find_first_of(L"\\/:") != std::wstring::npos;
}

// A path with a folder is made absolute and loaded with that folder first in
// the search for its own dependencies; a bare name uses the normal search.
HMODULE LoadModuleFile(const std::wstring& path) {
    if (!HasFolder(path)) return LoadLibraryW(path.c_str());
    wchar_t full[MAX_PATH * 4];
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 4, full, nullptr);
    if (length == 0 || length >= MAX_PATH * 4) return LoadLibraryW(path.c_str());
    return LoadLibraryExW(full, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

std::wstring DefaultModulePath() {
    const std::wstring host = ModuleFileName(nullptr);
    return host.empty() ? std::wstring() : FolderOf(host) + L"wareseek.dll";
}

std::wstring ChosenModuleFolder(const std::wstring& modulePath) {
    const std::wstring folder = FolderOf(modulePath.empty() ? DefaultModulePath() : modulePath);
    return folder.empty() ? L"." : folder;
}

HostExitCode LoadPlugin(const std::wstring& path, LoadedPlugin& plugin, std::wstring& error) {
    plugin.module.Reset(LoadModuleFile(path));
    if (!plugin.module.Get()) {
        error = L"cannot load module '" + path + L"': " + ErrorText(GetLastError());
        return kExitLoadFailed;
    }
    const auto query = LibraryFunction<PIQueryInterfaceFn>(plugin.module.Get(), "PIQueryInterface");
    if (!query) {
        error = L"module '" + path + L"' has no PIQueryInterface export";
        return kExitNoExport;
    }
    const HRESULT result = query(WARESEEK_PLUGIN_ID, plugin.object.Receive());
    if (result != S_OK || !plugin.object) {
        plugin.object.Detach();  // a refused call may leave anything there
        error = L"module '" + path + L"' refused plug-in number " + std::to_wstring(WARESEEK_PLUGIN_ID) +
                L" (HRESULT 0x" + HexNumber(static_cast<uint32_t>(result)) + L")";
        return kExitRefused;
    }
    return kExitOk;
}
