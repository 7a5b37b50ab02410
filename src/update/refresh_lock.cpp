#include "update/refresh_lock.h"

#include <windows.h>

#include "text/hex_text.h"
#include "text/path_parts.h"
#include "win32/shared_mutex.h"

UniqueHandle CatalogueRefreshMutex(const std::wstring& cataloguePath) {
    // Attributes only: any account that may list the folder may open it so.
    const UniqueFile folder(CreateFileW(FolderOf(cataloguePath).c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!folder || !GetFileInformationByHandle(folder.Get(), &info)) return UniqueHandle();
    return CreateSharedMutex(L"Wareseek.catalogue." + HexNumber(info.dwVolumeSerialNumber) + L"." +
                             HexNumber(info.nFileIndexHigh) + HexNumber(info.nFileIndexLow) + L"." +
                             FileNameOf(cataloguePath));
}
