#include "update/catalogue_backup.h"

#include "win32/file_bytes.h"
#include "win32/win_owners.h"

namespace {

// Far above any real catalogue; the download module itself takes at most 16 MiB.
const std::size_t kBackupLimit = 256u << 20;

}  // namespace

CatalogueBackup::CatalogueBackup(std::wstring path) : m_path(std::move(path)) {
    if (m_path.empty()) return;
    m_existed = GetFileAttributesW(m_path.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (m_existed) m_bytes = ReadFileBytes(m_path, kBackupLimit);
}

void CatalogueBackup::NoteDownloaded() {
    m_downloaded = StampOf(m_path);
}

CatalogueBackup::Outcome CatalogueBackup::Restore() const {
    if (m_path.empty()) return Outcome::kFailed;
    if (!Same(StampOf(m_path), m_downloaded)) return Outcome::kNewerKept;
    const bool restored = m_existed ? m_bytes && ReplaceFileAtomically(m_path, *m_bytes) : DeleteFileW(m_path.c_str());
    return restored ? Outcome::kRestored : Outcome::kFailed;
}

std::optional<CatalogueBackup::FileStamp> CatalogueBackup::StampOf(const std::wstring& path) {
    // No access is asked for, so no reader or writer of the file is in the way.
    UniqueFile file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !GetFileInformationByHandle(file.Get(), &info)) return std::nullopt;
    return FileStamp{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow,
                     info.nFileSizeHigh,        info.nFileSizeLow,   info.ftLastWriteTime};
}

bool CatalogueBackup::Same(const std::optional<FileStamp>& a, const std::optional<FileStamp>& b) {
    if (!a || !b) return !a && !b;
    return a->volume == b->volume && a->indexHigh == b->indexHigh && a->indexLow == b->indexLow &&
           a->sizeHigh == b->sizeHigh && a->sizeLow == b->sizeLow &&
           CompareFileTime(&a->written, &b->written) == 0;
}
