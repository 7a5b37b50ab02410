#include "check/method_rules.h"

#include <windows.h>

#include <cwchar>

#include "check/findings.h"
#include "detection/method_limits.h"
#include "registry_root.h"
#include "text/decimal_text.h"

namespace {

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
                L", over the registry's " + GroupedNumber(kMaxKeyNameLength) +
                L" for a key name: no such key can exist, the method never finds anything");
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
            L", over the registry's " + GroupedNumber(kMaxValueNameLength) +
            L" for a value name: no such value can exist, the method never finds anything");
    }
    const std::wstring* binary = FindAttribute(method.attributes, L"binary");
    if (binary && binary->size() > kMaxBinaryLength) {
        out.push_back(L"binary is " + Count(binary->size()) +
                      L": with any folder it overflows the " + GroupedNumber(kProbePathUnits) +
                          L"-unit path buffer, so the method finds the product only "
                      L"where the registry value names an existing file itself");
    }
    const std::wstring* binaryType = FindAttribute(method.attributes, L"binaryType");
    if (binaryType && binaryType->size() > kBinaryTypeDigits) {
        static_assert(kBinaryTypeDigits == 3, "the finding below says three");
        out.push_back(L"binaryType " + Quoted(*binaryType) + L" is longer than three characters: the module reads " +
                      Quoted(binaryType->substr(0, kBinaryTypeDigits)) + L" only");
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
        out.push_back(L"process is " + Count(name.size()) + L", longer than any file name (" + GroupedNumber(kMaxImageNameLength) + L")" + never);
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
