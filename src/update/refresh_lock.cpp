#include "update/refresh_lock.h"

#include <algorithm>

#include "win32/lock_file.h"

namespace {

// How often a waiting refresh asks again: a lock file has no wait handle.
const DWORD kRetryMs = 50;

}  // namespace

CatalogueRefreshLock::CatalogueRefreshLock(const std::wstring& cataloguePath, const Deadline& deadline) {
    const std::wstring path = cataloguePath + L".lock";
    for (;;) {
        m_file = HoldLockFile(path);
        if (m_file) return;
        m_error = GetLastError();
        m_elsewhere = ::HeldElsewhere(path, m_error);
        const std::optional<DWORD> left = deadline.Remaining();
        if (!m_elsewhere || !left) return;
        m_waited = true;
        Sleep(std::min(kRetryMs, *left));
    }
}
