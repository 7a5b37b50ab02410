#pragma once
// Named mutexes that every process of the machine shares, whoever runs it: a
// service in session 0 and a user's program in another session meet in the
// same object.
#include <windows.h>

#include <string>

#include "win32/win_owners.h"

// Creates or opens the mutex "Global\<name>". It has a null DACL, so every
// account may wait for it whoever made it first (a default DACL would shut
// out every other account); any user may create such a mutex. None when the
// platform refuses.
UniqueHandle CreateSharedMutex(const std::wstring& name);

// Holds a mutex for a scope. A wait that times out owns nothing; a mutex
// whose owner ended without letting it go (abandoned) is owned; without a
// mutex nothing is held and nothing timed out.
class MutexHold {
public:
    MutexHold(HANDLE mutex, DWORD waitMs);
    ~MutexHold();
    MutexHold(const MutexHold&) = delete;
    MutexHold& operator=(const MutexHold&) = delete;

    bool Held() const { return m_held; }
    bool TimedOut() const { return m_timedOut; }

private:
    HANDLE m_mutex;
    bool m_held = false;
    bool m_timedOut = false;
};
