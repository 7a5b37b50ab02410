#pragma once
// What keeps two refreshes of one catalogue file from getting in each
// other's way: <catalogue>.lock beside it, a lock file (win32/lock_file.h).
// Only an account that may write the catalogue's folder can hold it, so no
// other user can hold refreshes up; it goes with its process however that
// ends; and it holds for every process and session of the machine and for
// every machine that shares the folder.
#include <windows.h>

#include <string>

#include "win32/deadline.h"
#include "win32/win_owners.h"

class CatalogueRefreshLock {
public:
    // Takes the lock, waiting while another refresh holds it, no longer than
    // the deadline allows (once, without waiting, when it has passed).
    CatalogueRefreshLock(const std::wstring& cataloguePath, const Deadline& deadline);

    bool Held() const { return m_file.IsValid(); }
    // Another refresh held it when this one first asked.
    bool WaitedForAnother() const { return m_waited; }
    // Not held: another refresh still holds it, or, when not, the lock could
    // not be made for Error().
    bool HeldElsewhere() const { return m_elsewhere; }
    DWORD Error() const { return m_error; }

private:
    UniqueFile m_file;
    bool m_waited = false;
    bool m_elsewhere = false;
    DWORD m_error = ERROR_SUCCESS;
};
