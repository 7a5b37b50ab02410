#pragma once
// Loading the module and obtaining its plug-in object, with owners that give
// both back in the right order: the object is released before the module is
// unloaded.
#include <windows.h>

#include <string>

#include "exit_codes.h"
#include "support/win_owners.h"
#include "wareseek/plugin_api.h"

// Owns one plug-in object; Release at scope end.
class PluginObject {
public:
    PluginObject() = default;
    ~PluginObject() { Reset(); }
    PluginObject(const PluginObject&) = delete;
    PluginObject& operator=(const PluginObject&) = delete;

    IPCCheckPluginObject* Get() const noexcept { return m_object; }
    IPCCheckPluginObject* operator->() const noexcept { return m_object; }
    explicit operator bool() const noexcept { return m_object != nullptr; }
    IPCCheckPluginObject** Receive() noexcept {
        Reset();
        return &m_object;
    }
    void Reset() noexcept;
    // Forgets the pointer without releasing it: for a value a failed call left.
    void Abandon() noexcept { m_object = nullptr; }

private:
    IPCCheckPluginObject* m_object = nullptr;
};

// A module and the object it gave. Members end in reverse order, so the
// object goes before its module.
struct LoadedPlugin {
    UniqueModule module;
    PluginObject object;
};

// The full path of wareseek.dll in this program's own folder ("" on failure).
std::wstring DefaultModulePath();

// Loads path and asks it for object WARESEEK_PLUGIN_ID. Returns kExitOk, or the
// failure's exit code with a one-line description in error.
HostExitCode LoadPlugin(const std::wstring& path, LoadedPlugin& plugin, std::wstring& error);

// The system's text for a Win32 error code, as one line.
std::wstring ErrorText(DWORD code);
