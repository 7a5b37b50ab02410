#include <windows.h>
#include <shlwapi.h>

#include <cwchar>

#include "catalogue/product_record.h"
#include "detection/probes.h"
#include "detection/method_limits.h"
#include "detection/registry_roots.h"
#include "detection/split_path.h"
#include "detection/system_folder.h"
#include "detection/value_expansion.h"
#include "log/debug_log.h"
#include "win32/win_owners.h"
#include "support/wow64.h"

namespace {

// The catalogue's binaryType: at most kBinaryTypeDigits characters are
// taken, as decimal; a longer text is cut.
int32_t BinaryTypeNumber(const std::wstring& text) {
    wchar_t digits[kBinaryTypeDigits + 1] = {};
    text.copy(digits, kBinaryTypeDigits);
    return _wtoi(digits);
}

// Whether this 32-bit process runs on 64-bit Windows; asked once, as that
// never changes.
bool UnderWow64() {
    static const bool wow64 = CWOW64().IsWow64Process();
    return wow64;
}

// The file-system questions of the probe, asked as the writer of the value
// would ask them and told to the observer if any.
class PathTests {
public:
    // native64: the value comes from the 64-bit view under WOW64.
    PathTests(bool native64, DetectionObserver* observer) : m_native64(native64), m_observer(observer) {}

    bool NamesFolder(const wchar_t* path) const {
        return Ask(path, PathQuestion::kIsFolder, [](const wchar_t* p) { return PathIsDirectoryW(p) != FALSE; });
    }
    bool Exists(const wchar_t* path) const {
        return Ask(path, PathQuestion::kExists, [](const wchar_t* p) { return PathFileExistsW(p) != FALSE; });
    }

private:
    // A path in the system folder from the 64-bit view names the 64-bit
    // System32, which this process reaches only with the redirection off:
    // off for that one call, and on again when the guard goes.
    template <typename Question>
    bool Ask(const wchar_t* path, PathQuestion question, Question ask) const {
        bool answer = false;
        bool redirectionOff = false;
        if (m_native64 && LiesInSystemFolder(path)) {
            CWOW64 redirection;
            redirectionOff = redirection.DisableFsRedirection();
            answer = ask(path);
        } else {
            answer = ask(path);
        }
        if (m_observer) m_observer->PathTested(path, question, answer, redirectionOff);
        return answer;
    }

    bool m_native64;
    DetectionObserver* m_observer;
};

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
                               const PathTests& tests, DetectionObserver* observer) {
    wchar_t candidate[kProbePathUnits] = {};
    lstrcpynW(candidate, folder, kProbePathUnits);
    if (!AppendBinary(candidate, binary, observer) || !tests.Exists(candidate)) return 0;
    foundPath = candidate;
    return 1;
}

// Reads the method's value into text. A rootKey that names no root a
// catalogue may use is never opened: the number would be whatever handle the
// host holds under it, or the performance data.
RegistryReadReport ReadMethodValue(const std::vector<std::wstring>& params, wchar_t* text) {
    RegistryReadReport read;
    read.view64 = params[kParamBinaryEnvironment] == L"1";
    const uint32_t number = RegistryRootAsRead(params[kParamRootKey]);
    read.root = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(number));
    read.outcome = RegistryReadOutcome::kRootRefused;
    read.text = text;
    const HKEY root = CatalogueRootKey(number);
    if (!root) {
        CMLog::GetInstance().Log(L"root refused: not a registry root a catalogue may use");
        return read;
    }
    DWORD type = REG_NONE;
    read.outcome = ReadRegistryText(root, params[kParamSubKey].c_str(), params[kParamValue].c_str(), text,
                                    read.view64, read.status, type);
    read.expandable = read.outcome == RegistryReadOutcome::kRead && type == REG_EXPAND_SZ;
    return read;
}

// The path the value names: a REG_EXPAND_SZ text expanded into expanded as
// its writer reads it, any other text as it is. Null when the expansion does
// not fit a path.
wchar_t* ValuePath(RegistryReadReport& read, wchar_t* text, wchar_t* expanded, bool native64) {
    if (!read.expandable) return text;
    if (!ExpandValueText(text, native64, expanded)) {
        read.outcome = RegistryReadOutcome::kExpansionTooLong;
        return nullptr;
    }
    read.expanded = expanded;
    return expanded;
}

}  // namespace

RegistryReadOutcome ReadRegistryText(HKEY root, const wchar_t* subKey, const wchar_t* valueName, wchar_t* buffer,
                                     int32_t use64BitView, LONG& status, DWORD& type) {
    REGSAM access = KEY_READ | (use64BitView ? KEY_WOW64_64KEY : 0);
    UniqueRegKey key;
    status = RegOpenKeyExW(root, subKey, 0, access, key.Receive());
    if (status != ERROR_SUCCESS) return RegistryReadOutcome::kKeyNotOpened;
    DWORD size = kProbePathUnits * sizeof(wchar_t);
    status = RegQueryValueExW(key.Get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    if (status != ERROR_SUCCESS) return RegistryReadOutcome::kValueNotRead;
    // Data that fills the whole buffer has no room for a terminator: the text
    // would be cut, so it does not count as read.
    if (wmemchr(buffer, L'\0', kProbePathUnits) == nullptr) {
        buffer[0] = L'\0';
        return RegistryReadOutcome::kNoTerminator;
    }
    return RegistryReadOutcome::kRead;
}

int32_t ReadRegistryString(HKEY root, const wchar_t* subKey, const wchar_t* valueName, wchar_t* buffer,
                           int32_t use64BitView) {
    LONG status = ERROR_SUCCESS;
    DWORD type = REG_NONE;
    return ReadRegistryText(root, subKey, valueName, buffer, use64BitView, status, type) ==
           RegistryReadOutcome::kRead;
}

int32_t ProbeRegistryFile(const std::vector<std::wstring>& params, int32_t& binaryType, std::wstring& foundPath,
                          DetectionObserver* observer) {
    if (params.size() < kDetectParamCount) return 0;
    CMLog& log = CMLog::GetInstance();
    wchar_t text[kProbePathUnits] = {};
    wchar_t expanded[kProbePathUnits] = {};
    log.Log(L"root=%s, subkey=%s, value=%s", params[kParamRootKey].c_str(), params[kParamSubKey].c_str(),
            params[kParamValue].c_str());
    RegistryReadReport read = ReadMethodValue(params, text);
    const bool native64 = read.view64 && UnderWow64();
    wchar_t* path = read.outcome == RegistryReadOutcome::kRead ? ValuePath(read, text, expanded, native64) : nullptr;
    if (observer) observer->RegistryRead(read);
    if (read.outcome == RegistryReadOutcome::kExpansionTooLong) {
        log.Log(L"value = %s, expanded too long for a path", text);
        return 0;
    }
    if (read.outcome != RegistryReadOutcome::kRead) {
        if (read.outcome != RegistryReadOutcome::kRootRefused) log.Log(L"Regiter get value faile");
        return 0;
    }
    log.Log(L"value = %s", text);
    if (read.expandable) log.Log(L"expanded = %s", path);

    const PathTests tests(native64, observer);
    const std::wstring& binary = params[kParamBinary];
    const bool namesFolder = tests.NamesFolder(path);
    wchar_t folder[kProbePathUnits] = {};
    wchar_t file[kProbePathUnits] = {};
    bool joined = true;
    bool split = false;
    if (namesFolder) {
        joined = AppendBinary(path, binary, observer);
    } else {
        split = SplitPath(path, folder, file) != 0;
    }
    log.Log(L"szPath = %s", path);
    if (!joined) return 0;  // folder + binary exceeds the path limit: no such file

    binaryType = BinaryTypeNumber(params[kParamBinaryType]);
    if (tests.Exists(path)) {
        // A bare name without a separator is its own file part.
        if (!namesFolder) binaryType = BinaryTypeFromFileName(split ? file : path, binaryType);
        foundPath = path;
        log.Log(L"exename = %s, type=%d", foundPath.c_str(), binaryType);
        return 1;
    }
    if (namesFolder || !split) return 0;
    return ProbeBesideMissingFile(folder, binary, foundPath, tests, observer);
}
