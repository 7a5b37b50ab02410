#pragma once
// Scope owners for Win32 handles: kernel handles, files, searches, registry
// keys, modules, thread-local storage slots, system-allocated memory. Move-only; the destructor closes
// what is held. A Traits type names the Handle type, its "none" value, how to
// tell a live handle and how to close one, so other handle kinds (internet,
// crypto) plug in the same way.
#include <windows.h>

#include <utility>

template <typename Traits>
class UniqueWinHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueWinHandle() noexcept = default;
    explicit UniqueWinHandle(Handle adopted) noexcept : m_handle(adopted) {}
    UniqueWinHandle(UniqueWinHandle&& other) noexcept : m_handle(other.Release()) {}
    UniqueWinHandle& operator=(UniqueWinHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueWinHandle(const UniqueWinHandle&) = delete;
    UniqueWinHandle& operator=(const UniqueWinHandle&) = delete;
    ~UniqueWinHandle() { Reset(); }

    Handle Get() const noexcept { return m_handle; }
    bool IsValid() const noexcept { return Traits::IsValid(m_handle); }
    explicit operator bool() const noexcept { return IsValid(); }

    // Address for an out-parameter; closes whatever was held first.
    Handle* Receive() noexcept {
        Reset();
        return &m_handle;
    }
    Handle Release() noexcept { return std::exchange(m_handle, Traits::Invalid()); }
    void Reset(Handle replacement = Traits::Invalid()) noexcept {
        if (Traits::IsValid(m_handle)) Traits::Close(m_handle);
        m_handle = replacement;
    }

private:
    Handle m_handle = Traits::Invalid();
};

struct KernelHandleTraits {  // null means none (process, token, mutex handles)
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return nullptr; }
    static bool IsValid(Handle h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { CloseHandle(h); }
};

struct FileHandleTraits {  // CreateFileW's failure value is INVALID_HANDLE_VALUE
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { CloseHandle(h); }
};

struct FindHandleTraits {  // FindFirstFileW's search handle
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) noexcept { return h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { FindClose(h); }
};

// A handle kind whose "none" is zero (null) and that one call closes.
template <typename H, auto CloseFunction>
struct ZeroIsNoneTraits {
    using Handle = H;
    static Handle Invalid() noexcept { return Handle{}; }
    static bool IsValid(Handle h) noexcept { return h != Handle{}; }
    static void Close(Handle h) noexcept { CloseFunction(h); }
};

struct TlsSlotTraits {  // a thread-local storage slot of TlsAlloc
    using Handle = DWORD;
    static Handle Invalid() noexcept { return TLS_OUT_OF_INDEXES; }
    static bool IsValid(Handle h) noexcept { return h != TLS_OUT_OF_INDEXES; }
    static void Close(Handle h) noexcept { TlsFree(h); }
};

using UniqueHandle = UniqueWinHandle<KernelHandleTraits>;
using UniqueFile = UniqueWinHandle<FileHandleTraits>;
using UniqueFind = UniqueWinHandle<FindHandleTraits>;
using UniqueRegKey = UniqueWinHandle<ZeroIsNoneTraits<HKEY, &RegCloseKey>>;
using UniqueModule = UniqueWinHandle<ZeroIsNoneTraits<HMODULE, &FreeLibrary>>;  // a module this code loaded
using UniqueLocalMemory = UniqueWinHandle<ZeroIsNoneTraits<HLOCAL, &LocalFree>>;  // memory the system allocated
using UniqueTlsSlot = UniqueWinHandle<TlsSlotTraits>;
