#include "update/work_files.h"

#include <set>

#include "text/name_compare.h"
#include "text/path_parts.h"
#include "win32/file_bytes.h"
#include "win32/lock_file.h"

namespace {

const wchar_t kCatalogueSuffix[] = L".download";
const wchar_t kSignatureSuffix[] = L".sig.download";
const wchar_t kLockSuffix[] = L".lock";
const wchar_t kStandInId[] = L"0000";
const size_t kIdLength = 4;
// Ids tried before giving up: far more than refreshes that run at once.
const unsigned kIdAttempts = 64;

std::wstring WorkPath(const std::wstring& catalogue, const std::wstring& id, const wchar_t* suffix) {
    return catalogue + L"." + id + suffix;
}

UniqueFile HoldId(const std::wstring& catalogue, const std::wstring& id) {
    return HoldLockFile(WorkPath(catalogue, id, kLockSuffix));
}

// Deletes the id's work files; true when neither is left.
bool RemoveWorkFiles(const std::wstring& catalogue, const std::wstring& id) {
    bool gone = true;
    for (const wchar_t* suffix : {kCatalogueSuffix, kSignatureSuffix}) {
        const std::wstring path = WorkPath(catalogue, id, suffix);
        DeleteFileW(path.c_str());
        gone = gone && FileIsMissing(path);
    }
    return gone;
}

std::wstring IdText(unsigned number) {
    wchar_t text[8] = {};
    wsprintfW(text, L"%04x", number & 0xFFFFu);
    return text;
}

bool IsId(const std::wstring& text) {
    return text.size() == kIdLength && text.find_first_not_of(L"0123456789abcdefABCDEF") == std::wstring::npos;
}

// The names in folder that start with prefix (the search also matches short
// names, which the prefix check filters out).
std::set<std::wstring> NamesStartingWith(const std::wstring& folder, const std::wstring& prefix) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found = {};
    const UniqueFind search(FindFirstFileW((folder + prefix + L"*").c_str(), &found));
    if (!search) return names;
    do {
        if (StartsWithName(found.cFileName, prefix)) names.insert(found.cFileName);
    } while (FindNextFileW(search.Get(), &found));
    return names;
}

}  // namespace

std::wstring RefreshWorkFiles::CataloguePathFor(const std::wstring& cataloguePath) {
    return WorkPath(cataloguePath, kStandInId, kCatalogueSuffix);
}

std::wstring RefreshWorkFiles::SignaturePathFor(const std::wstring& cataloguePath) {
    return WorkPath(cataloguePath, kStandInId, kSignatureSuffix);
}

std::wstring RefreshWorkFiles::LockPathFor(const std::wstring& cataloguePath) {
    return WorkPath(cataloguePath, kStandInId, kLockSuffix);
}

RefreshWorkFiles::RefreshWorkFiles(const std::wstring& cataloguePath) {
    // Ids start where this process and moment point, so that refreshes
    // starting together rarely try the same ones.
    const unsigned start = GetCurrentProcessId() * 40503u + GetTickCount() + GetCurrentThreadId();
    m_error = ERROR_FILE_EXISTS;
    for (unsigned attempt = 0; attempt < kIdAttempts; ++attempt) {
        const std::wstring id = IdText(start + attempt);
        m_lock = HoldId(cataloguePath, id);
        if (!m_lock) {
            m_error = GetLastError();
            // Held by another refresh: try the next id.
            if (HeldElsewhere(WorkPath(cataloguePath, id, kLockSuffix), m_error)) continue;
            return;
        }
        // A dead refresh of the same id may have left files that won't go.
        if (!RemoveWorkFiles(cataloguePath, id)) {
            m_error = ERROR_FILE_EXISTS;
            m_lock.Reset();
            continue;
        }
        m_catalogue = WorkPath(cataloguePath, id, kCatalogueSuffix);
        m_signature = WorkPath(cataloguePath, id, kSignatureSuffix);
        m_error = ERROR_SUCCESS;
        return;
    }
}

RefreshWorkFiles::~RefreshWorkFiles() {
    if (!m_lock) return;
    const DWORD error = GetLastError();
    DeleteFileW(m_catalogue.c_str());
    DeleteFileW(m_signature.c_str());
    SetLastError(error);
}

void RemoveAbandonedWorkFiles(const std::wstring& cataloguePath) {
    const std::wstring folder = FolderOf(cataloguePath);
    const std::wstring prefix = FileNameOf(cataloguePath) + L".";
    std::set<std::wstring> ids;
    for (const std::wstring& name : NamesStartingWith(folder, prefix)) {
        const std::wstring rest = name.substr(prefix.size());
        // An earlier version's names carry no id and no lock.
        if (SameName(rest, kCatalogueSuffix + 1) || SameName(rest, kSignatureSuffix + 1)) {
            DeleteFileW((folder + name).c_str());
            continue;
        }
        const std::wstring id = rest.substr(0, kIdLength);
        const std::wstring suffix = rest.substr(std::min(rest.size(), kIdLength));
        if (IsId(id) && (SameName(suffix, kCatalogueSuffix) || SameName(suffix, kSignatureSuffix) ||
                         SameName(suffix, kLockSuffix))) {
            ids.insert(id);
        }
    }
    for (const std::wstring& id : ids) {
        const UniqueFile held = HoldId(cataloguePath, id);
        if (held) RemoveWorkFiles(cataloguePath, id);
    }
}
