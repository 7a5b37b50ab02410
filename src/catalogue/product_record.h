#pragma once
// The in-memory catalogue's value types: what the catalogue file says about a
// product, how to recognise it, and what the last detection pass found.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Slots of DetectMethod::params.
enum DetectParam : size_t {
    kParamRootKey = 0,  // registry/file method; the process method uses slot 0 for "process"
    kParamProcess = 0,
    kParamSubKey = 1,
    kParamValue = 2,
    kParamBinary = 3,
    kParamBinaryType = 4,
    kParamBinaryEnvironment = 5,
    kDetectParamCount = 10,
};

enum DetectMethodType : int32_t {
    kMethodRegistryFile = 0,
    kMethodProcess = 1,
};

struct DetectMethod {
    int32_t methodType = kMethodRegistryFile;
    std::vector<std::wstring> params = std::vector<std::wstring>(kDetectParamCount);
};

struct SetupInfo {
    std::wstring name;
    std::wstring cmdline;
    int32_t wait = 0;
};

struct ProductRecord {
    std::wstring name;
    std::wstring guid;  // the record's key within its group
    int32_t category = -1;
    std::vector<std::wstring> urls;
    std::wstring md5;
    std::wstring icon;
    std::wstring detail;
    std::wstring version;
    std::wstring dependence;
    std::wstring foundFile;  // detection: file part of the found path
    int32_t foundType = -1;  // detection: 0 ".exe", 1 ".dll", else the probe's number
    int32_t serviceType = -1;
    int32_t serviceDay = 0;
    uint32_t os = 0;
    std::vector<DetectMethod> methods;
    SetupInfo setup;
    int32_t installed = 0;     // detection: 1 when a method found the product
    std::wstring foundFolder;  // detection: folder of the found path, with its separator
};

// One product group, ordered by GUID in UTF-16 code units (case matters,
// upper case sorts first).
using ProductMap = std::map<std::wstring, ProductRecord>;
