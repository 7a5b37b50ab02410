// The internet handles of one download, which a thread other than the one
// using them must be able to close.
#ifndef ZQDOWNLOAD_TRANSFER_HANDLES_H
#define ZQDOWNLOAD_TRANSFER_HANDLES_H

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <functional>
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
//
// Nor is such a value used after the close. A closed handle's value is free
// for the system to give to the next handle opened in the process (Wine does
// so at once), the host's own or another download's. So every call that
// returns at once (options, queries, reading data already received) goes
// through Use, and opening a child handle through Open: each is made only
// while its handle is the set's, and holds CloseAll off until it returns.
// The two calls that wait for the server (sending the request, waiting for
// data) cannot hold CloseAll off, since closing is what ends them on
// Windows: Ready() is checked just before each. One instant remains: a close
// that lands after that check and before the call has taken its handle. The
// value is then another's only if, in that instant, another thread of the
// process opened an internet handle and was given the very value. A call
// that has taken its handle keeps it reserved until it returns, so closing
// it then is the documented way to end it.
class TransferHandles {
public:
    TransferHandles() = default;
    TransferHandles(const TransferHandles&) = delete;
    TransferHandles& operator=(const TransferHandles&) = delete;
    ~TransferHandles() { CloseAll(); }

    // An owner for handle, or an empty one when handle is null or the set
    // has been closed (handle is then closed here). For a handle without a
    // parent: the first of a transfer.
    TransferHandle Adopt(HINTERNET handle);
    // A handle opened from parent by open, adopted in the same step while the
    // set holds its lock: a CloseAll between the two would free the new
    // handle with its parent before the set knew it, and then close a value
    // that may be another's. Empty when closed, or when parent is not the
    // set's or open fails.
    TransferHandle Open(HINTERNET parent, const std::function<HINTERNET(HINTERNET)>& open);
    // Closes every handle still open, the newest first, and every later one.
    void CloseAll();
    bool Closed() const;
    // False once closed or when handle is not (any more) one of the set's.
    bool Ready(HINTERNET handle) const;

    // call(handle)'s result, made only while handle is the set's and the set
    // is not closed, with CloseAll held off meanwhile; otherwise result as
    // given. Only for calls that return at once.
    template <typename Result, typename Call>
    Result Use(HINTERNET handle, Result result, Call call) const {
        AcquireSRWLockShared(&lock_);
        if (OwnsLocked(handle)) result = call(handle);
        ReleaseSRWLockShared(&lock_);
        return result;
    }

private:
    bool OwnsLocked(HINTERNET handle) const;
    friend class TransferHandle;
    void Close(HINTERNET handle);

    mutable SRWLOCK lock_ = SRWLOCK_INIT;
    std::vector<HINTERNET> open_;
    bool closed_ = false;
};

}  // namespace zqd

#endif
