#pragma once
// Orders process image names as Windows compares file names: ordinal, letter
// case ignored (the file system's own rule). An image keeps the case of its
// file on disk (WINWORD.EXE, MsMpEng.exe), and a catalogue's "winword.exe"
// names the same program.
#include <string>

#include "text/name_compare.h"

struct ImageNameLess {
    bool operator()(const std::wstring& left, const std::wstring& right) const noexcept {
        return CompareNames(left, right) < 0;
    }
};
