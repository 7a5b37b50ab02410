#pragma once
#include <windows.h>
#include <objbase.h>

// COM on the calling thread for the owner's scope, shared by the module, the
// host and the download module. Every successful CoInitialize, S_FALSE
// (already initialised) included, takes a reference that is given back here,
// so the thread's COM state afterwards is what it was before. A thread already
// in the multithreaded apartment (RPC_E_CHANGED_MODE) is left as it was.
class ComApartment {
public:
    ComApartment() noexcept : m_result(CoInitialize(nullptr)) {}
    ~ComApartment() {
        if (SUCCEEDED(m_result)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT m_result;
};
