#pragma once
// Several running processes of one image name (every signed-in user's
// explorer.exe, a service and its user-session helper): which one a process
// method reports.
#include <cstdint>
#include <vector>

struct NamesakeProcess {
    uint32_t id = 0;
    bool pathRead = false;    // its executable's path could be read
    bool ownSession = false;  // it runs in the session of this process
};

// One whose path can be read first, then one in this process's session;
// among equals the later in the list. 0 for an empty list.
uint32_t PreferredNamesake(const std::vector<NamesakeProcess>& namesakes);
