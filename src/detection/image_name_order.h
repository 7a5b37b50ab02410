#pragma once
// Orders process image names as Windows compares file names: ordinal, letter
// case ignored (the file system's own rule). An image keeps the case of its
// file on disk (WINWORD.EXE, MsMpEng.exe), and a catalogue's "winword.exe"
// names the same program.
#include <windows.h>

#include <string>

struct ImageNameLess {
    bool operator()(const std::wstring& left, const std::wstring& right) const noexcept {
        return CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                                    static_cast<int>(right.size()), TRUE) == CSTR_LESS_THAN;
    }
};
