#pragma once
// The files of one signed refresh, its own and no other's, beside the
// catalogue: <catalogue>.<id>.download for the catalogue and
// <catalogue>.<id>.sig.download for its signature, where id is four
// hexadecimal digits. A refresh owns its id by holding <catalogue>.<id>.lock
// open, unshared and deleted on close, for as long as it runs: no other
// refresh, in this process or another, takes that id or touches its files,
// and the lock goes with the process however it ends. The same lock lets a
// later refresh tell the files of one that died from those of one running.
#include <windows.h>

#include <string>

#include "win32/win_owners.h"

class RefreshWorkFiles {
public:
    // The paths a refresh would use, with a stand-in id of the same length.
    static std::wstring CataloguePathFor(const std::wstring& cataloguePath);
    static std::wstring SignaturePathFor(const std::wstring& cataloguePath);
    static std::wstring LockPathFor(const std::wstring& cataloguePath);

    // Takes an id of its own; Ready() is false, with the platform's error,
    // when no id can be held (the folder can't be written, say).
    explicit RefreshWorkFiles(const std::wstring& cataloguePath);
    // Deletes both files, then lets the id go.
    ~RefreshWorkFiles();
    RefreshWorkFiles(const RefreshWorkFiles&) = delete;
    RefreshWorkFiles& operator=(const RefreshWorkFiles&) = delete;

    bool Ready() const { return m_lock.IsValid(); }
    DWORD Error() const { return m_error; }
    const std::wstring& Catalogue() const { return m_catalogue; }
    const std::wstring& Signature() const { return m_signature; }

private:
    std::wstring m_catalogue;
    std::wstring m_signature;
    UniqueFile m_lock;
    DWORD m_error = ERROR_SUCCESS;
};

// Removes what refreshes that ended without cleaning up left beside the
// catalogue: work files whose id nobody holds, locks left behind, and the
// work files of earlier versions (<catalogue>.download and
// <catalogue>.sig.download). Each id is held while its files go, so a
// refresh in progress keeps its own and none can start on an id being
// cleaned.
void RemoveAbandonedWorkFiles(const std::wstring& cataloguePath);
