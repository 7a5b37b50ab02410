#pragma once
#include <windows.h>
#include <objbase.h>

// COM on the calling thread for the owner's scope, shared by the module, the
// host and the download module. Every successful CoInitialize, S_FALSE
// (already initialised) included, takes a reference that is given back here,
// so the thread's COM state afterwards is what it was before. A thread already
// in another apartment (RPC_E_CHANGED_MODE) is left as it was.
class ComApartment {
public:
    explicit ComApartment(DWORD model = COINIT_APARTMENTTHREADED) noexcept : m_result(CoInitializeEx(nullptr, model)) {}
    ~ComApartment() {
        if (SUCCEEDED(m_result)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    // What entering the apartment answered: S_OK, S_FALSE or a failure.
    HRESULT Result() const noexcept { return m_result; }

private:
    HRESULT m_result;
};
