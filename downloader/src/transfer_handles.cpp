#include "transfer_handles.h"

#include <algorithm>
#include <utility>

namespace zqd {
namespace {

// Holds an SRW lock exclusively for its scope.
class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~ExclusiveLock() { ReleaseSRWLockExclusive(&lock_); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

private:
    SRWLOCK& lock_;
};

}  // namespace

TransferHandle::TransferHandle(TransferHandle&& other) noexcept
    : set_(std::exchange(other.set_, nullptr)), handle_(std::exchange(other.handle_, nullptr)) {}

TransferHandle& TransferHandle::operator=(TransferHandle&& other) noexcept {
    if (this != &other) {
        Reset();
        set_ = std::exchange(other.set_, nullptr);
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

void TransferHandle::Reset() {
    if (handle_) set_->Close(handle_);
    handle_ = nullptr;
}

TransferHandle TransferHandles::Adopt(HINTERNET handle) {
    if (!handle) return TransferHandle();
    ExclusiveLock hold(lock_);
    if (closed_) {
        InternetCloseHandle(handle);
        return TransferHandle();
    }
    open_.push_back(handle);
    return TransferHandle(this, handle);
}

TransferHandle TransferHandles::Open(HINTERNET parent, const std::function<HINTERNET(HINTERNET)>& open) {
    ExclusiveLock hold(lock_);
    open_.reserve(open_.size() + 1);  // nothing can fail once the handle is open
    const HINTERNET handle = OwnsLocked(parent) ? open(parent) : nullptr;
    if (!handle) return TransferHandle();
    open_.push_back(handle);
    return TransferHandle(this, handle);
}

void TransferHandles::Close(HINTERNET handle) {
    ExclusiveLock hold(lock_);
    const auto found = std::find(open_.begin(), open_.end(), handle);
    if (found == open_.end()) return;
    open_.erase(found);
    InternetCloseHandle(handle);
}

void TransferHandles::CloseAll() {
    ExclusiveLock hold(lock_);
    closed_ = true;
    for (auto handle = open_.rbegin(); handle != open_.rend(); ++handle) InternetCloseHandle(*handle);
    open_.clear();
}

bool TransferHandles::OwnsLocked(HINTERNET handle) const {
    return !closed_ && handle && std::find(open_.begin(), open_.end(), handle) != open_.end();
}

bool TransferHandles::Ready(HINTERNET handle) const {
    AcquireSRWLockShared(&lock_);
    const bool ready = OwnsLocked(handle);
    ReleaseSRWLockShared(&lock_);
    return ready;
}

bool TransferHandles::Closed() const {
    ExclusiveLock hold(lock_);
    return closed_;
}

}  // namespace zqd
