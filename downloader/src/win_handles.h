// Owners for kernel handles shared by the file code and the tests.
#ifndef ZQDOWNLOAD_WIN_HANDLES_H
#define ZQDOWNLOAD_WIN_HANDLES_H

#include <windows.h>

#include "unique_resource.h"

namespace zqd {

struct FileHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { CloseHandle(handle); }
};
using FileHandle = UniqueResource<HANDLE, FileHandleTraits>;

struct FindHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { FindClose(handle); }
};
using FindHandle = UniqueResource<HANDLE, FindHandleTraits>;

}  // namespace zqd

#endif
