#include "test_debug_log.h"

#include <shlobj.h>

#include "test_files.h"
#include "test_platform.h"
#include "test_registry.h"
#include "win32/win_owners.h"

namespace {

const wchar_t kSwitchKey[] = L"SOFTWARE\\Quillmoor";
const wchar_t kSwitchValue[] = L"debug";
// Where a borrowing test notes what it changes, before it changes it: the
// switch's old value and what it made. Below the tests' own key, which the
// next run's clean-up knows as the tests'.
const wchar_t kNoteKey[] = WARESEEK_TEST_KEYS L"\\debug-log";
const DWORD kMadeLogFolder = 1;
const DWORD kMadeOuterFolder = 2;

// Whether a process had the product's log mutex when this program started,
// before any module or log of its own could have made it: then the product is
// running and logging here. A namesake of another kind, or one this account
// may not open, exists just as well.
bool ProductLogMutexExists() {
    const UniqueHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, L"Global\\MLOGwareseek.log"));
    return mutex || GetLastError() == ERROR_ACCESS_DENIED || GetLastError() == ERROR_INVALID_HANDLE;
}
const bool g_productLogMutexAtStart = ProductLogMutexExists();

// Borrows nest within a process (a whole run, and each test in it): only the
// outermost notes and puts back.
int g_borrows = 0;
bool g_madeTheFolders = false;

UniqueRegKey OpenKey(const wchar_t* subKey, REGSAM access) {
    UniqueRegKey key;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, access, key.Receive());
    return key;
}

DWORD ReadNumber(HKEY key, const wchar_t* name) {
    DWORD number = 0;
    DWORD size = sizeof number;
    return RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&number), &size) == ERROR_SUCCESS
               ? number
               : 0;
}

void WriteNumber(HKEY key, const wchar_t* name, DWORD number) {
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
}

// A value's type and bytes; false when it is not there.
bool ReadRaw(HKEY key, const wchar_t* name, DWORD& type, std::string& bytes) {
    DWORD size = 0;
    if (!key || RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    bytes.assign(size, '\0');
    return RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&bytes[0]), &size) == ERROR_SUCCESS;
}

bool NoteExists() {
    return static_cast<bool>(OpenKey(kNoteKey, KEY_READ));
}

// Notes the switch as it is and which of the log's folders are missing.
bool WriteNote(DWORD& madeFolders) {
    UniqueRegKey note;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kNoteKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, note.Receive(),
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const UniqueRegKey switchKey = OpenKey(kSwitchKey, KEY_QUERY_VALUE);
    DWORD type = 0;
    std::string bytes;
    if (ReadRaw(switchKey.Get(), kSwitchValue, type, bytes)) {
        RegSetValueExW(note.Get(), L"switch", 0, REG_BINARY, reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size()));
        WriteNumber(note.Get(), L"switchType", type);
    }
    WriteNumber(note.Get(), L"keyMade", switchKey ? 0 : 1);
    const std::wstring logFolder = DebugLogOuterFolder() + L"\\log";
    madeFolders = (FileExists(logFolder) ? 0 : kMadeLogFolder) | (FileExists(DebugLogOuterFolder()) ? 0 : kMadeOuterFolder);
    WriteNumber(note.Get(), L"foldersMade", madeFolders);
    WriteNumber(note.Get(), L"complete", 1);  // last: a note without it changed nothing yet
    return true;
}

enum class PutBack { kNothingNoted, kDone, kFailed };

// Puts the switch back as noted; false when it could not be.
bool PutSwitchBack(HKEY note) {
    DWORD type = 0;
    std::string bytes;
    const bool hadSwitch = ReadRaw(note, L"switch", type, bytes);
    UniqueRegKey switchKey = OpenKey(kSwitchKey, KEY_SET_VALUE | KEY_QUERY_VALUE);
    if (!switchKey && hadSwitch) {
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSwitchKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr,
                        switchKey.Receive(), nullptr);
    }
    if (!switchKey) return !hadSwitch && !OpenKey(kSwitchKey, KEY_QUERY_VALUE);  // gone, or closed to this account
    const LONG put = hadSwitch ? RegSetValueExW(switchKey.Get(), kSwitchValue, 0, ReadNumber(note, L"switchType"),
                                                reinterpret_cast<const BYTE*>(bytes.data()),
                                                static_cast<DWORD>(bytes.size()))
                               : RegDeleteValueW(switchKey.Get(), kSwitchValue);
    if (put != ERROR_SUCCESS && put != ERROR_FILE_NOT_FOUND) return false;
    if (ReadNumber(note, L"keyMade") && RegistryKeyIsEmpty(switchKey.Get())) RegDeleteKeyW(HKEY_LOCAL_MACHINE, kSwitchKey);
    return true;
}

// Puts back what a whole note says: the switch, the folders; the log there
// is the tests' (none may exist when a test borrows it). A note is dropped
// only once the switch is back: until then it is the one record of its value.
PutBack PutBackAsNoted() {
    const UniqueRegKey note = OpenKey(kNoteKey, KEY_READ);
    if (!note) return PutBack::kNothingNoted;
    if (ReadNumber(note.Get(), L"complete")) {
        if (!PutSwitchBack(note.Get())) return PutBack::kFailed;
        DeleteFileW(DebugLogPath().c_str());
        const DWORD made = ReadNumber(note.Get(), L"foldersMade");
        if (made & kMadeLogFolder) RemoveDirectoryW((DebugLogOuterFolder() + L"\\log").c_str());
        if (made & kMadeOuterFolder) RemoveDirectoryW(DebugLogOuterFolder().c_str());
    }
    return RegDeleteKeyW(HKEY_LOCAL_MACHINE, kNoteKey) == ERROR_SUCCESS ? PutBack::kDone : PutBack::kFailed;
}

bool SwitchExists() {
    DWORD type = 0;
    std::string bytes;
    return ReadRaw(OpenKey(kSwitchKey, KEY_QUERY_VALUE).Get(), kSwitchValue, type, bytes);
}

void SetSwitchBytes(DWORD type, const void* data, DWORD size) {
    UniqueRegKey key;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSwitchKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Receive(), nullptr);
    if (data) {
        RegSetValueExW(key.Get(), kSwitchValue, 0, type, static_cast<const BYTE*>(data), size);
    } else {
        RegDeleteValueW(key.Get(), kSwitchValue);
    }
}

}  // namespace

std::string WhyTheLogMutexIsNotOurs() {
    if (!g_productLogMutexAtStart) return {};
    return "the product's debug log is in use on this PC (its mutex Global\\MLOGwareseek.log exists): the tests of "
           "the log are left out so that nothing of it changes";
}

std::string WhyTheDebugLogIsNotOurs() {
    if (!RunningElevated()) {
        return WARESEEK_NEEDS_ELEVATION "the log's switch is under HKLM, which only administrators may write";
    }
    if (const std::string why = WhyTheLogMutexIsNotOurs(); !why.empty()) return why;
    if (NoteExists()) return {};  // what is there is the tests'
    if (FileExists(DebugLogPath())) {
        return "this PC has a debug log of its own (" + ToUtf8(DebugLogPath()) +
               "): the tests of the log are left out so that it is kept as it is";
    }
    if (SwitchExists()) {
        return "this PC has a debug switch of its own (HKLM\\SOFTWARE\\Quillmoor \"debug\"): the tests of the log "
               "are left out, since the product may log while they run";
    }
    return {};
}

DebugLogSwitchedOn::DebugLogSwitchedOn() {
    if (g_borrows == 0) {
        if (!WhyTheDebugLogIsNotOurs().empty()) return;
        // What a killed run left, so that the note holds the PC's own state.
        if (PutBackAsNoted() == PutBack::kFailed) return;
        DWORD madeFolders = 0;
        if (!WriteNote(madeFolders)) return;
        g_madeTheFolders = madeFolders == (kMadeLogFolder | kMadeOuterFolder);
    }
    ++g_borrows;
    m_borrowed = true;
    m_madeTheFolders = g_madeTheFolders;
    // Made now, so that a log this process set up before still finds them.
    CreateFolders(DebugLogOuterFolder() + L"\\log");
    SetSwitch(L"1");
    ClearDebugLog();
}

DebugLogSwitchedOn::~DebugLogSwitchedOn() {
    if (!m_borrowed) return;
    if (--g_borrows == 0) {
        PutBackAsNoted();
    } else {
        SetSwitch(L"1");  // as the enclosing borrow had it
    }
}

void DebugLogSwitchedOn::SetSwitch(const wchar_t* text) const {
    if (!m_borrowed) return;
    SetSwitchBytes(REG_SZ, text, text ? static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)) : 0);
}

void DebugLogSwitchedOn::SetSwitchNumber(DWORD number) const {
    if (m_borrowed) SetSwitchBytes(REG_DWORD, &number, sizeof number);
}

std::wstring DebugLogOuterFolder() {
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_COMMON_DOCUMENTS, nullptr, 0, folder);
    return std::wstring(folder) + L"\\Quillmoor";
}

std::wstring DebugLogPath() {
    return DebugLogOuterFolder() + L"\\log\\wareseek.log";
}

void ClearDebugLog() {
    DeleteFileW(DebugLogPath().c_str());
}

std::vector<std::wstring> LogFileLines(const std::wstring& path) {
    const std::string bytes = ReadBytes(path);
    if (bytes.size() < 2) return {};
    const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / sizeof(wchar_t));
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::vector<std::wstring> DebugLogMessages() {
    const size_t stamp = 20;  // "yyyy-mm-dd hh:mm:ss" and a TAB
    std::vector<std::wstring> messages;
    for (const std::wstring& line : LogFileLines(DebugLogPath())) {
        messages.push_back(line.size() > stamp ? line.substr(stamp) : std::wstring());
    }
    return messages;
}

std::wstring RestoreDebugLogLeftByAKilledRun() {
    switch (PutBackAsNoted()) {
        case PutBack::kDone: return L"the debug switch put back as it was, and the tests' log deleted";
        case PutBack::kFailed:
            return L"the debug switch a killed run turned on could not be put back: run the tests elevated to do so";
        default: return L"";
    }
}
