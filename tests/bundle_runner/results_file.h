#pragma once
// The file a run's whole output goes to besides the console, named for the
// kind of run so that the standard and the elevated run keep their own.
#include <windows.h>

#include <string>

#include "win32/win_owners.h"

struct ResultsFile {
    UniqueFile file;    // none when it could be made nowhere
    std::wstring path;  // where it is, or why there is none
};

// Made anew in bundleFolder (with its separator) or, where that folder cannot
// be written, in the user's temporary folder.
ResultsFile CreateResultsFile(const std::wstring& bundleFolder, bool elevated);
