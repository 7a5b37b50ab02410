#include "support/module_path.h"

#include <windows.h>
#include <shlwapi.h>

#include "win32/module_file.h"

namespace {

HMODULE g_module = nullptr;  // set once, before any other thread can run module code

HMODULE OwnModule() {
    if (g_module) return g_module;
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&OwnModule), &self);
    return self;
}

}  // namespace

void RememberModule(HMODULE module) {
    g_module = module;
}

std::wstring ModuleFolder() {
    HMODULE self = OwnModule();
    if (!self) return std::wstring();
    // Paths beside the module are built in MAX_PATH buffers: a module file
    // whose own path does not fit has no usable folder.
    const std::wstring file = ModuleFileName(self);
    if (file.empty() || file.size() >= MAX_PATH) return std::wstring();
    wchar_t path[MAX_PATH] = {};
    file.copy(path, file.size());
    PathRemoveFileSpecW(path);
    return path;
}

bool JoinPath(std::wstring& path, const wchar_t* part) {
    wchar_t buffer[MAX_PATH] = {};
    if (path.empty() || path.size() >= MAX_PATH) return false;
    path.copy(buffer, path.size());
    if (!PathAppendW(buffer, part)) return false;
    path = buffer;
    return true;
}
