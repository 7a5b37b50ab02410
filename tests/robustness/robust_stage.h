#pragma once
// The module copy the harness drives, in a fixed folder so saved cases that
// name its files stay valid: <temp>\wareseek-robustness\module, with a current
// folder and a sentinel file beside it that no case may change.
#include <windows.h>

#include <string>

#include "robust_case.h"
#include "win32/win_owners.h"
#include "wareseek/plugin_api.h"

class RobustStage {
public:
    RobustStage();  // makes the tree afresh, copies wareseek.dll and loads it
    ~RobustStage();
    RobustStage(const RobustStage&) = delete;
    RobustStage& operator=(const RobustStage&) = delete;

    static std::wstring ModuleFolder();
    bool Loaded() const { return m_query != nullptr; }
    HRESULT Query(IPCCheckPluginObject** object) const { return m_query(WARESEEK_PLUGIN_ID, object); }

    // Puts the case's catalogue, template and registry values in place; holds
    // the catalogue open without sharing when the case says so.
    void WriteInputs(const RobustCase& robustCase, UniqueFile& lock) const;
    // Everything outside the module folder that a stray write could change.
    std::wstring OutsideSnapshot() const;

private:
    HMODULE m_module = nullptr;
    PIQueryInterfaceFn m_query = nullptr;
};

// True when the module's debug log is switched on for this machine.
bool DebugLogSwitchedOn();
