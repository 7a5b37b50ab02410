#pragma once
#include <windows.h>

// The one exception the XML layer raises: a COM string could not be allocated.
// It carries the HRESULT (always E_OUTOFMEMORY) and is caught at the module's
// boundary, never inside.
class CAtlException {
public:
    explicit CAtlException(HRESULT hr) noexcept : m_hr(hr) {}
    operator HRESULT() const noexcept { return m_hr; }

    HRESULT m_hr;
};
