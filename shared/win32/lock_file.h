#pragma once
// Files that stand for a lock: made when missing, held open unshared, so
// that no other open of the file succeeds while it is held, and deleted when
// the last handle closes, which the system does for a process however it
// ends. Only an account that may write the folder can make one.
#include <string>

#include "win32/win_owners.h"

// The lock file at path, held; none when it is held already (the platform's
// error is then ERROR_SHARING_VIOLATION, or ERROR_ACCESS_DENIED while a
// holder's close deletes it) or cannot be made.
UniqueFile HoldLockFile(const std::wstring& path);

// True when a failure of HoldLockFile means that another holder has it.
bool HeldElsewhere(const std::wstring& path, DWORD error);
