// The internet handles of one download, which a thread other than the one
// using them must be able to close.
#ifndef ZQDOWNLOAD_TRANSFER_HANDLES_H
#define ZQDOWNLOAD_TRANSFER_HANDLES_H

#include <windows.h>
#include <wininet.h>

#include <vector>

namespace zqd {

class TransferHandles;

// Owns one handle of a TransferHandles set: closes it when it goes, unless
// the set has closed it already.
class TransferHandle {
public:
    TransferHandle() = default;
    TransferHandle(TransferHandles* set, HINTERNET handle) : set_(set), handle_(handle) {}
    TransferHandle(TransferHandle&& other) noexcept;
    TransferHandle& operator=(TransferHandle&& other) noexcept;
    TransferHandle(const TransferHandle&) = delete;
    TransferHandle& operator=(const TransferHandle&) = delete;
    ~TransferHandle() { Reset(); }

    HINTERNET Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset();

private:
    TransferHandles* set_ = nullptr;
    HINTERNET handle_ = nullptr;
};

// Every handle the download's worker opens is adopted here. When the deadline
// passes, the waiting thread calls CloseAll: on Windows, closing a handle ends
// the calls pending on it, so the worker returns at once. Once closed, the set
// adopts nothing more: a handle opened afterwards is closed straight away.
// Each handle is closed exactly once, by whichever side comes first, so a
// handle value the system has since given to someone else is never closed.
// The worker checks Closed() before each wait (LimitWaits), so only a call it
// was about to make in that instant can meet a closed handle; it then fails.
class TransferHandles {
public:
    TransferHandles() = default;
    TransferHandles(const TransferHandles&) = delete;
    TransferHandles& operator=(const TransferHandles&) = delete;
    ~TransferHandles() { CloseAll(); }

    // An owner for handle, or an empty one when handle is null or the set
    // has been closed (handle is then closed here).
    TransferHandle Adopt(HINTERNET handle);
    // Closes every handle still open, the newest first, and every later one.
    void CloseAll();
    bool Closed() const;

private:
    friend class TransferHandle;
    void Close(HINTERNET handle);

    mutable SRWLOCK lock_ = SRWLOCK_INIT;
    std::vector<HINTERNET> open_;
    bool closed_ = false;
};

}  // namespace zqd

#endif
