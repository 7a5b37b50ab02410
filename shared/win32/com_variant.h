#pragma once
#include <windows.h>
#include <oleauto.h>

#include "win32/com_string.h"

// Owns a VARIANT and clears it at scope end.
class ComVariant {
public:
    ComVariant() noexcept { VariantInit(&m_var); }
    ComVariant(const ComVariant&) = delete;
    ComVariant& operator=(const ComVariant&) = delete;
    ~ComVariant() { VariantClear(&m_var); }

    // A VT_BSTR variant holding a copy of text (null text: a null BSTR).
    static void SetString(VARIANT& var, const wchar_t* text) {
        V_BSTR(&var) = AllocComString(text);
        V_VT(&var) = VT_BSTR;
    }
    VARIANT* Ptr() noexcept { return &m_var; }
    VARIANT& Ref() noexcept { return m_var; }

private:
    VARIANT m_var;
};
