#pragma once
// Loading the module and obtaining its plug-in object, with owners that give
// both back in the right order: the object is released before the module is
// unloaded.
#include <windows.h>

#include <string>

#include "exit_codes.h"
#include "win32/com_ptr.h"
#include "win32/win_owners.h"
#include "wareseek/plugin_api.h"

// A module and the object it gave. Members end in reverse order, so the
// object goes before its module.
struct LoadedPlugin {
    UniqueModule module;
    ComPtr<IPCCheckPluginObject> object;  // Release at scope end, like a COM object
};

// The full path of wareseek.dll in this program's own folder ("" on failure).
std::wstring DefaultModulePath();

// The folder of the module that --module names (the default one when empty):
// "." for a bare file name.
std::wstring ChosenModuleFolder(const std::wstring& modulePath);

// Loads path and asks it for object WARESEEK_PLUGIN_ID. Returns kExitOk, or the
// failure's exit code with a one-line description in error.
HostExitCode LoadPlugin(const std::wstring& path, LoadedPlugin& plugin, std::wstring& error);

