// The catalogue's old bytes across a download: read past other openers, put
// back only over the file the download left, and a failure said as such.
#include <gtest/gtest.h>

#include <windows.h>

#include "win32/win_owners.h"
#include "test_files.h"
#include "update/catalogue_backup.h"

namespace {

using Outcome = CatalogueBackup::Outcome;

class CatalogueBackupTest : public ::testing::Test {
protected:
    // The file as a download leaves it, noted by the backup.
    void Download(CatalogueBackup& backup, const std::string& bytes) {
        WriteBytes(m_path, bytes);
        backup.NoteDownloaded();
    }

    TempFolder m_folder;
    const std::wstring m_path = m_folder.Sub(L"SMBPlugins_x86.xml");
};

// An editor or scanner holding the file open for writing does not defeat the
// backup.
TEST_F(CatalogueBackupTest, ReadsTheOldFileWhileAWriterHoldsItOpen) {
    WriteBytes(m_path, "old");
    UniqueFile editor(CreateFileW(m_path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(editor);
    CatalogueBackup backup(m_path);
    editor.Reset();
    Download(backup, "page");
    EXPECT_EQ(backup.Restore(), Outcome::kRestored);
    EXPECT_EQ(ReadBytes(m_path), "old");
}

TEST_F(CatalogueBackupTest, NoFileBeforeMeansNoFileAfter) {
    CatalogueBackup backup(m_path);
    Download(backup, "page");
    EXPECT_EQ(backup.Restore(), Outcome::kRestored);
    EXPECT_FALSE(FileExists(m_path));
}

// Another process wrote its own catalogue after this download: it stays.
TEST_F(CatalogueBackupTest, ANewerFileWrittenMeanwhileIsKept) {
    WriteBytes(m_path, "old");
    CatalogueBackup backup(m_path);
    Download(backup, "page");
    const std::wstring other = m_folder.Sub(L"other.xml");
    WriteBytes(other, "newer");
    ASSERT_TRUE(MoveFileExW(other.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(backup.Restore(), Outcome::kNewerKept);
    EXPECT_EQ(ReadBytes(m_path), "newer");
}

// A scanner holding the downloaded file without delete sharing keeps it from
// being replaced.
TEST_F(CatalogueBackupTest, AFileThatCannotBeReplacedIsAFailure) {
    WriteBytes(m_path, "old");
    CatalogueBackup backup(m_path);
    Download(backup, "page");
    UniqueFile scanner(CreateFileW(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(scanner);
    EXPECT_EQ(backup.Restore(), Outcome::kFailed);
    scanner.Reset();
    EXPECT_EQ(ReadBytes(m_path), "page");
}

}  // namespace
