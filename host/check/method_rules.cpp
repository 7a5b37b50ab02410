#include "check/method_rules.h"

#include <windows.h>

#include <cwchar>

#include "check/findings.h"
#include "registry_root.h"

namespace {

// The limits, each from what the probes in src/detection do with the text.
//
// A registry key name is at most 255 characters and a value name at most
// 16,383: nothing longer can be created, so RegOpenKeyExW and
// RegQueryValueExW can never find one.
constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxValueNameLength = 16383;
// ProbeRegistryFile joins "binary" to the folder the registry names with
// PathAppendW into a MAX_PATH buffer, which fails when the result and its
// terminator do not fit. The result holds at least the whole binary (the
// shortest join, a binary with a drive of its own, takes no folder), so a
// binary of MAX_PATH units fits with no folder at all.
constexpr size_t kMaxBinaryLength = MAX_PATH - 1;
// BinaryTypeNumber copies at most three characters before _wtoi.
constexpr size_t kBinaryTypeLength = 3;
// ProbeProcess looks "process" up among the image file names of the system's
// process list, in any letter case. A file name has at most 255 characters (the
// limit of NTFS, FAT's long names, exFAT and ReFS alike), so no running image
// has a longer one.
constexpr size_t kMaxImageNameLength = 255;

// The registry/file attributes a process method carries and never reads.
const wchar_t* const kRegistryAttributes[] = {
    L"rootKey", L"subKey", L"value", L"binary", L"binaryType", L"binaryEvironment", L"binaryEnvironment"};

std::wstring Count(size_t length) {
    return std::to_wstring(length) + L" characters";
}

void CheckMethodType(const MethodEntry& method, std::vector<std::wstring>& out) {
    const std::wstring* type = FindAttribute(method.attributes, L"methodType");
    if (!type || *type == L"0" || IsProcessMethod(method)) return;
    out.push_back(L"methodType " + Quoted(*type) +
                  L" is not 0, 1 or \"true\": the module reads it as a registry/file method");
}

void CheckRootKey(const std::wstring* rootKey, std::vector<std::wstring>& out) {
    if (!rootKey) {
        out.push_back(L"rootKey is missing: the method never finds anything");
        return;
    }
    if (IsRegistryRootText(*rootKey)) return;
    const std::wstring read = RegistryRootName(RegistryRootAsRead(*rootKey));
    if (!read.empty()) {
        out.push_back(L"rootKey " + Quoted(*rootKey) + L" is not plain hexadecimal: the module reads it as " + read);
        return;
    }
    out.push_back(L"rootKey " + Quoted(*rootKey) + L" is not a registry root in hexadecimal (" + RegistryRootList() +
                  L"): the method never finds anything");
}

void CheckSubKey(const std::wstring* subKey, std::vector<std::wstring>& out) {
    if (!subKey || subKey->empty()) {
        out.push_back(std::wstring(subKey ? L"subKey is empty" : L"subKey is missing") +
                      L": the method reads the value from the root key itself");
        return;
    }
    for (size_t start = 0; start <= subKey->size();) {
        size_t end = subKey->find(L'\\', start);
        if (end == std::wstring::npos) end = subKey->size();
        if (end - start > kMaxKeyNameLength) {
            out.push_back(
                L"subKey component " + Quoted(subKey->substr(start, end - start)) + L" is " + Count(end - start) +
                L", over the registry's 255 for a key name: no such key can exist, the method never finds anything");
            return;
        }
        start = end + 1;
    }
}

void CheckRegistryTexts(const MethodEntry& method, std::vector<std::wstring>& out) {
    const std::wstring* value = FindAttribute(method.attributes, L"value");
    if (value && value->size() > kMaxValueNameLength) {
        out.push_back(
            L"value name is " + Count(value->size()) +
            L", over the registry's 16,383 for a value name: no such value can exist, the method never finds anything");
    }
    const std::wstring* binary = FindAttribute(method.attributes, L"binary");
    if (binary && binary->size() > kMaxBinaryLength) {
        out.push_back(L"binary is " + Count(binary->size()) +
                      L": with any folder it overflows the 260-unit path buffer, so the method finds the product only "
                      L"where the registry value names an existing file itself");
    }
    const std::wstring* binaryType = FindAttribute(method.attributes, L"binaryType");
    if (binaryType && binaryType->size() > kBinaryTypeLength) {
        out.push_back(L"binaryType " + Quoted(*binaryType) + L" is longer than three characters: the module reads " +
                      Quoted(binaryType->substr(0, kBinaryTypeLength)) + L" only");
    }
}

// ProbeRegistryFile reads the 64-bit view only for exactly "1".
void CheckView(const MethodEntry& method, std::vector<std::wstring>& out) {
    const std::wstring* view = FindAttribute(method.attributes, L"binaryEvironment");
    if (view && *view != L"0" && *view != L"1") {
        out.push_back(L"binaryEvironment " + Quoted(*view) + L" is not 0 or 1: the module reads the 32-bit view");
    }
    if (FindAttribute(method.attributes, L"binaryEnvironment")) {
        out.push_back(
            L"binaryEnvironment is not read: the module takes the registry view from \"binaryEvironment\", "
            L"spelt so");
    }
}

void CheckRegistryMethod(const MethodEntry& method, std::vector<std::wstring>& out) {
    CheckRootKey(FindAttribute(method.attributes, L"rootKey"), out);
    CheckSubKey(FindAttribute(method.attributes, L"subKey"), out);
    CheckRegistryTexts(method, out);
    CheckView(method, out);
    if (FindAttribute(method.attributes, L"process")) {
        out.push_back(L"process is not read: this is a registry/file method");
    }
}

void CheckProcessName(const std::wstring* process, std::vector<std::wstring>& out) {
    const std::wstring name = process ? *process : std::wstring();
    const std::wstring never = L": the method never finds anything";
    if (name.empty()) {
        out.push_back(std::wstring(process ? L"process is empty" : L"process is missing") + never);
        return;
    }
    if (name.find_first_of(L"\\/") != std::wstring::npos) {
        out.push_back(L"process " + Quoted(name) +
                      L" holds a folder, but running images are compared by bare file name" + never);
    } else if (name.back() == L'.') {
        // "app." names the file "app": the dot never reaches an image name.
        out.push_back(L"process " + Quoted(name) +
                      L" ends in a dot, which Windows strips from file names, so no running image has this name" +
                      never);
    } else if (name.find(L'.') == std::wstring::npos) {
        out.push_back(L"process " + Quoted(name) +
                      L" has no extension, but running images are compared by file name with extension" + never);
    }
    if (name.size() > kMaxImageNameLength) {
        out.push_back(L"process is " + Count(name.size()) + L", longer than any file name (255)" + never);
    }
}

void CheckProcessMethod(const MethodEntry& method, std::vector<std::wstring>& out) {
    CheckProcessName(FindAttribute(method.attributes, L"process"), out);
    std::wstring ignored;
    for (const wchar_t* name : kRegistryAttributes) {
        if (FindAttribute(method.attributes, name)) ignored += (ignored.empty() ? L"" : L", ") + std::wstring(name);
    }
    if (ignored.empty()) return;
    const bool one = ignored.find(L',') == std::wstring::npos;
    out.push_back(ignored + (one ? L" is" : L" are") + L" not read: this is a process method");
}

}  // namespace

std::vector<std::wstring> CheckMethod(const MethodEntry& method) {
    std::vector<std::wstring> out;
    CheckMethodType(method, out);
    if (IsProcessMethod(method)) {
        CheckProcessMethod(method, out);
    } else {
        CheckRegistryMethod(method, out);
    }
    return out;
}
