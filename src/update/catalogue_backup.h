#pragma once
// The catalogue file as it was before a download. A download module may report
// success for a body that is no catalogue at all (a captive portal's login
// page, say); the old file then goes back, so no download leaves the module
// without the catalogue it had.
#include <optional>
#include <string>

class CatalogueBackup {
public:
    // Reads the file at path now; a missing file is remembered as missing.
    explicit CatalogueBackup(std::wstring path);

    // Puts the old bytes back, atomically, or removes the file when there was
    // none before. False when the old file existed but could not be read.
    bool Restore() const;

private:
    std::wstring m_path;
    bool m_existed = false;
    std::optional<std::string> m_bytes;
};
