#pragma once
// The catalogue file as it was before a download. A download module may report
// success for a body that is no catalogue at all (a captive portal's sign-in
// page, say); the old file then goes back, so no download leaves the module
// without the catalogue it had.
#include <windows.h>

#include <optional>
#include <string>

class CatalogueBackup {
public:
    enum class Outcome { kRestored, kNewerKept, kFailed };

    // Reads the file at path now, shared with any writer; a missing file is
    // remembered as missing.
    explicit CatalogueBackup(std::wstring path);

    // Remembers which file the download left at the path.
    void NoteDownloaded();

    // Puts the old bytes back, atomically, or removes the file when there was
    // none before. kNewerKept when the file at the path is no longer the one
    // the download left: another process has put its own there meanwhile,
    // and a newer catalogue is not overwritten with an older one. kFailed
    // when the old file could not be read or the path not written.
    Outcome Restore() const;

private:
    // Which file a path names, and in what state: a replaced or rewritten
    // file differs in index or in size and time of last write.
    struct FileStamp {
        DWORD volume, indexHigh, indexLow, sizeHigh, sizeLow;
        FILETIME written;
    };
    static std::optional<FileStamp> StampOf(const std::wstring& path);
    static bool Same(const std::optional<FileStamp>& a, const std::optional<FileStamp>& b);

    std::wstring m_path;
    bool m_existed = false;
    std::optional<std::string> m_bytes;
    std::optional<FileStamp> m_downloaded;
};
