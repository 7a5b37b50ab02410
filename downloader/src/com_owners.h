// Owners for the COM resources used to read the request document: the
// apartment and interface pointers (shared), BSTRs and VARIANTs.
#ifndef ZQDOWNLOAD_COM_OWNERS_H
#define ZQDOWNLOAD_COM_OWNERS_H

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <new>
#include <string>

#include "win32/com_apartment.h"
#include "win32/com_ptr.h"

namespace zqd {

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const wchar_t* text) : value_(SysAllocString(text)) {
        if (!value_) throw std::bad_alloc();
    }
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR Get() const { return value_; }
    BSTR* Receive() {
        SysFreeString(value_);
        value_ = nullptr;
        return &value_;
    }
    std::wstring Str() const { return value_ ? std::wstring(value_, SysStringLen(value_)) : std::wstring(); }

private:
    BSTR value_ = nullptr;
};

class Variant {
public:
    Variant() { VariantInit(&value_); }
    ~Variant() { VariantClear(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    const VARIANT& Get() const { return value_; }
    VARIANT* Receive() {
        VariantClear(&value_);
        return &value_;
    }

private:
    VARIANT value_;
};

}  // namespace zqd

#endif
