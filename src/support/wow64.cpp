#include "support/wow64.h"

#include "win32/library_function.h"

LONG g_bIsWow64 = 0;

namespace {

template <typename Fn>
Fn BindKernel32(const char* name) {
    return LibraryFunction<Fn>(GetModuleHandleW(L"kernel32"), name);
}

}  // namespace

CWOW64::CWOW64()
    : m_pfnIsWow64Process(BindKernel32<IsWow64ProcessFn>("IsWow64Process")),
      m_pfnDisableFsRedirection(BindKernel32<DisableFsRedirectionFn>("Wow64DisableWow64FsRedirection")),
      m_pfnRevertFsRedirection(BindKernel32<RevertFsRedirectionFn>("Wow64RevertWow64FsRedirection")),
      m_pfnEnableFsRedirection(BindKernel32<EnableFsRedirectionFn>("Wow64EnableWow64FsRedirection")),
      m_pOldRedirectionValue(nullptr),
      m_bRedirectionOff(false) {}

CWOW64::~CWOW64() {
    if (m_bRedirectionOff && m_pfnRevertFsRedirection) m_pfnRevertFsRedirection(m_pOldRedirectionValue);
}

bool CWOW64::IsWow64Process() const {
    if (!m_pfnIsWow64Process) return false;
    BOOL wow64 = FALSE;  // the call's own result is not trusted; only the answer decides
    m_pfnIsWow64Process(GetCurrentProcess(), &wow64);
    return wow64 != FALSE;
}

bool CWOW64::DisableFsRedirection() {
    // Without the way back, redirection is never switched off.
    if (m_bRedirectionOff || !m_pfnDisableFsRedirection || !m_pfnRevertFsRedirection) return m_bRedirectionOff;
    m_bRedirectionOff = m_pfnDisableFsRedirection(&m_pOldRedirectionValue) != FALSE;
    return m_bRedirectionOff;
}

void UpdateWow64Flag(const CWOW64& wow64) {
    g_bIsWow64 = wow64.IsWow64Process() ? 1 : 0;
}
