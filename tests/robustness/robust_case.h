#pragma once
// One robustness case: the files the module reads, the requests it gets, the
// registry values its methods read, and, for catalogues written cleanly, the
// products it must list by name.
#include <windows.h>

#include <string>
#include <vector>

enum class FileShape { Bytes, Absent, Folder };

struct CaseFile {
    FileShape shape = FileShape::Bytes;
    std::string bytes;
    bool locked = false;  // held open without sharing while the case runs
};

struct CaseRegValue {
    std::wstring name;
    DWORD type = REG_SZ;
    std::string data;
};

struct KnownProduct {
    std::wstring guid;
    std::wstring name;
};

struct RobustCase {
    CaseFile catalogue;
    CaseFile reportTemplate;
    std::vector<std::wstring> requests;
    std::vector<CaseRegValue> values;
    bool registerTwice = false;  // then again with a null callback and the context that must come back
    bool namesKnown = false;  // products holds every product as the catalogue names it
    std::vector<KnownProduct> products;
};

// A case as files in a folder of its own, so it can be run again (--replay).
void SaveCase(const RobustCase& robustCase, const std::wstring& folder);
bool LoadCase(const std::wstring& folder, RobustCase& robustCase);
