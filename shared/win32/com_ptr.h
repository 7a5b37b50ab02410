#pragma once
#include <windows.h>

// Owns one reference to a COM interface; move-only.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(T* adopted) noexcept : m_p(adopted) {}
    ComPtr(ComPtr&& other) noexcept : m_p(other.Detach()) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            m_p = other.Detach();
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { Reset(); }

    T* Get() const noexcept { return m_p; }
    T* operator->() const noexcept { return m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }

    // Address for an out-parameter; drops any reference held before.
    T** Receive() noexcept {
        Reset();
        return &m_p;
    }
    // Hands the reference to the caller without releasing it.
    T* Detach() noexcept {
        T* p = m_p;
        m_p = nullptr;
        return p;
    }
    void Reset() noexcept {
        if (m_p) {
            m_p->Release();
            m_p = nullptr;
        }
    }
    template <typename U>
    HRESULT QueryInto(const IID& iid, ComPtr<U>& target) const noexcept {
        if (!m_p) return E_POINTER;
        return m_p->QueryInterface(iid, reinterpret_cast<void**>(target.Receive()));
    }

private:
    T* m_p = nullptr;
};
