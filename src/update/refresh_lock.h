#pragma once
// What keeps two refreshes of one catalogue file from getting in each
// other's way: a mutex every process of the machine shares, named after the
// catalogue's folder as the file system knows it (volume and file index, so
// that every path to the folder, a short name, a link, another drive letter,
// names the same mutex) and the catalogue's file name.
#include <string>

#include "win32/win_owners.h"

// The mutex, or none when the folder can't be opened or the platform refuses
// the mutex; a refresh then runs as if alone.
UniqueHandle CatalogueRefreshMutex(const std::wstring& cataloguePath);
