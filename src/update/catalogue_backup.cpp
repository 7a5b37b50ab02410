#include "update/catalogue_backup.h"

#include <windows.h>

#include "support/file_bytes.h"

namespace {

// Far above any real catalogue; the download module itself takes at most 16 MiB.
const std::size_t kBackupLimit = 256u << 20;

}  // namespace

CatalogueBackup::CatalogueBackup(std::wstring path) : m_path(std::move(path)) {
    if (m_path.empty()) return;
    m_existed = GetFileAttributesW(m_path.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (m_existed) m_bytes = ReadFileBytes(m_path, kBackupLimit);
}

bool CatalogueBackup::Restore() const {
    if (m_path.empty()) return false;
    if (!m_existed) return DeleteFileW(m_path.c_str()) != FALSE;
    return m_bytes && ReplaceFileAtomically(m_path, *m_bytes);
}
