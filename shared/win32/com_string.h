#pragma once
// The owner of a COM string (BSTR): frees what it holds when it goes out of
// scope; not copyable.
#include <windows.h>
#include <oleauto.h>

#include <string>

#include "win32/atl_exception.h"

// Allocates a BSTR copy of text; a null text gives a null BSTR. Raises
// CAtlException(E_OUTOFMEMORY) when a non-null text cannot be allocated.
BSTR AllocComString(const wchar_t* text);

// Owns one BSTR: the layer's string holder for out-parameters.
class ComString {
public:
    ComString() = default;
    explicit ComString(const wchar_t* text) : m_str(AllocComString(text)) {}
    ComString(const ComString&) = delete;
    ComString& operator=(const ComString&) = delete;
    ~ComString() { SysFreeString(m_str); }

    BSTR Get() const noexcept { return m_str; }
    bool IsNull() const noexcept { return m_str == nullptr; }
    // Frees the current content, then stores a fresh copy (null stays null).
    void Assign(const wchar_t* text) {
        BSTR copy = AllocComString(text);
        SysFreeString(m_str);
        m_str = copy;
    }
    BSTR* Receive() noexcept {
        SysFreeString(m_str);
        m_str = nullptr;
        return &m_str;
    }
    // The text as a standard string; a null BSTR reads as empty.
    std::wstring Str() const { return m_str ? std::wstring(m_str, SysStringLen(m_str)) : std::wstring(); }

private:
    BSTR m_str = nullptr;
};
