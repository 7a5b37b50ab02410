#include <windows.h>
#include <shlwapi.h>

#include <cwchar>

#include "catalogue/product_record.h"
#include "detection/probes.h"
#include "detection/registry_roots.h"
#include "detection/split_path.h"
#include "support/debug_log.h"
#include "support/win_owners.h"

namespace {

// The catalogue's binaryType: at most three characters are taken, as
// decimal; a longer text is cut to its first three.
int32_t BinaryTypeNumber(const std::wstring& text) {
    wchar_t digits[4] = {};
    text.copy(digits, 3);
    return _wtoi(digits);
}

// The file-system questions of the probe, told to the observer if any.
bool NamesFolder(const wchar_t* path, DetectionObserver* observer) {
    const bool answer = PathIsDirectoryW(path) != FALSE;
    if (observer) observer->PathTested(path, PathQuestion::kIsFolder, answer);
    return answer;
}

bool Exists(const wchar_t* path, DetectionObserver* observer) {
    const bool answer = PathFileExistsW(path) != FALSE;
    if (observer) observer->PathTested(path, PathQuestion::kExists, answer);
    return answer;
}

// Joins binary to the folder in path, in place; false when the result would
// not fit the path buffer, so no such file can be named.
bool AppendBinary(wchar_t* path, const std::wstring& binary, DetectionObserver* observer) {
    const std::wstring folder = observer ? path : L"";
    if (PathAppendW(path, binary.c_str())) return true;
    if (observer) observer->PathTooLong(folder, binary);
    return false;
}

// The registry text names something that does not exist: look for "binary"
// in the folder of the named file instead.
int32_t ProbeBesideMissingFile(const wchar_t* folder, const std::wstring& binary, std::wstring& foundPath,
                               DetectionObserver* observer) {
    wchar_t candidate[MAX_PATH] = {};
    lstrcpynW(candidate, folder, MAX_PATH);
    if (!AppendBinary(candidate, binary, observer) || !Exists(candidate, observer)) return 0;
    foundPath = candidate;
    return 1;
}

// Reads the method's value into text. A rootKey that names no root a
// catalogue may use is never opened: the number would be whatever handle the
// host holds under it, or the performance data.
RegistryReadOutcome ReadMethodValue(const std::vector<std::wstring>& params, wchar_t* text,
                                    DetectionObserver* observer) {
    const bool view64 = params[kParamBinaryEnvironment] == L"1";
    const uint32_t number = RegistryRootAsRead(params[kParamRootKey]);
    const HKEY root = CatalogueRootKey(number);
    LONG status = ERROR_SUCCESS;
    RegistryReadOutcome read = RegistryReadOutcome::kRootRefused;
    if (root) {
        read = ReadRegistryText(root, params[kParamSubKey].c_str(), params[kParamValue].c_str(), text, view64, status);
    } else {
        CMLog::GetInstance().Log(L"root refused: not a registry root a catalogue may use");
    }
    if (observer) {
        observer->RegistryRead({reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(number)), view64, read, status, text});
    }
    return read;
}

}  // namespace

RegistryReadOutcome ReadRegistryText(HKEY root, const wchar_t* subKey, const wchar_t* valueName, wchar_t* buffer,
                                     int32_t use64BitView, LONG& status) {
    REGSAM access = KEY_READ | (use64BitView ? KEY_WOW64_64KEY : 0);
    UniqueRegKey key;
    status = RegOpenKeyExW(root, subKey, 0, access, key.Receive());
    if (status != ERROR_SUCCESS) return RegistryReadOutcome::kKeyNotOpened;
    DWORD type = 0;
    DWORD size = MAX_PATH * sizeof(wchar_t);
    status = RegQueryValueExW(key.Get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    if (status != ERROR_SUCCESS) return RegistryReadOutcome::kValueNotRead;
    // Data that fills the whole buffer has no room for a terminator: the text
    // would be cut, so it does not count as read.
    if (wmemchr(buffer, L'\0', MAX_PATH) == nullptr) {
        buffer[0] = L'\0';
        return RegistryReadOutcome::kNoTerminator;
    }
    return RegistryReadOutcome::kRead;
}

int32_t ReadRegistryString(HKEY root, const wchar_t* subKey, const wchar_t* valueName, wchar_t* buffer,
                           int32_t use64BitView) {
    LONG status = ERROR_SUCCESS;
    return ReadRegistryText(root, subKey, valueName, buffer, use64BitView, status) == RegistryReadOutcome::kRead;
}

int32_t ProbeRegistryFile(const std::vector<std::wstring>& params, int32_t& binaryType, std::wstring& foundPath,
                          DetectionObserver* observer) {
    if (params.size() < kDetectParamCount) return 0;
    CMLog& log = CMLog::GetInstance();
    wchar_t text[MAX_PATH] = {};
    log.Log(L"root=%s, subkey=%s, value=%s", params[kParamRootKey].c_str(), params[kParamSubKey].c_str(),
            params[kParamValue].c_str());
    const RegistryReadOutcome read = ReadMethodValue(params, text, observer);
    if (read != RegistryReadOutcome::kRead) {
        if (read != RegistryReadOutcome::kRootRefused) log.Log(L"Regiter get value faile");
        return 0;
    }
    log.Log(L"value = %s", text);

    const std::wstring& binary = params[kParamBinary];
    const bool namesFolder = NamesFolder(text, observer);
    wchar_t folder[MAX_PATH] = {};
    wchar_t file[MAX_PATH] = {};
    bool joined = true;
    bool split = false;
    if (namesFolder) {
        joined = AppendBinary(text, binary, observer);
    } else {
        split = SplitPath(text, folder, file) != 0;
    }
    log.Log(L"szPath = %s", text);
    if (!joined) return 0;  // folder + binary exceeds the path limit: no such file

    binaryType = BinaryTypeNumber(params[kParamBinaryType]);
    if (Exists(text, observer)) {
        // A bare name without a separator is its own file part.
        if (!namesFolder) binaryType = BinaryTypeFromFileName(split ? file : text, binaryType);
        foundPath = text;
        log.Log(L"exename = %s, type=%d", foundPath.c_str(), binaryType);
        return 1;
    }
    if (namesFolder || !split) return 0;
    return ProbeBesideMissingFile(folder, binary, foundPath, observer);
}
