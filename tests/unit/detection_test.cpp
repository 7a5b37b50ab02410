// Detection: path splitting, the registry/file probe against the real
// registry and file system, the process probe against real processes, and the
// pass's bookkeeping on the records.
#include <gtest/gtest.h>

#include <algorithm>

#include "catalogue/product_manager.h"
#include "detection/detection_pass.h"
#include "detection/probes.h"
#include "detection/process_snapshot.h"
#include "detection/process_list.h"
#include "detection/split_path.h"
#include "detection/value_expansion.h"
#include "test_files.h"
#include "test_platform.h"
#include "test_process.h"
#include "test_registry.h"

namespace {

struct Split {
    int32_t result;
    std::wstring folder;
    std::wstring file;
};

Split SplitOf(const wchar_t* path) {
    wchar_t folder[MAX_PATH] = L"untouched";
    wchar_t file[MAX_PATH] = L"untouched";
    const int32_t result = SplitPath(path, folder, file);
    return {result, folder, file};
}

TEST(SplitPath, CutsAtTheLaterSeparatorOfEitherKind) {
    Split slashes = SplitOf(L"C:/Tools/app.exe");
    EXPECT_EQ(1, slashes.result);
    EXPECT_EQ(L"C:/Tools/", slashes.folder);
    EXPECT_EQ(L"app.exe", slashes.file);
    Split mixed = SplitOf(L"C:\\Tools/sub\\app.exe");
    EXPECT_EQ(L"C:\\Tools/sub\\", mixed.folder);
    EXPECT_EQ(L"app.exe", mixed.file);
    Split slashLast = SplitOf(L"C:\\Tools\\sub/app.exe");
    EXPECT_EQ(L"C:\\Tools\\sub/", slashLast.folder);
    Split trailing = SplitOf(L"C:\\Tools\\");
    EXPECT_EQ(1, trailing.result);
    EXPECT_EQ(L"", trailing.file);
}

TEST(SplitPath, FailsWithoutTouchingTheBuffers) {
    for (const wchar_t* path : {static_cast<const wchar_t*>(nullptr), L"", L"app.exe"}) {
        Split split = SplitOf(path);
        EXPECT_EQ(0, split.result);
        EXPECT_EQ(L"untouched", split.folder);
        EXPECT_EQ(L"untouched", split.file);
    }
    const std::wstring tooLong = L"C:\\" + std::wstring(300, L'a');
    EXPECT_EQ(0, SplitOf(tooLong.c_str()).result);
    const std::wstring longest = L"C:\\" + std::wstring(256, L'a');  // 259 characters and the terminator
    EXPECT_EQ(std::wstring(256, L'a'), SplitOf(longest.c_str()).file);
    EXPECT_EQ(0, SplitOf((longest + L"a").c_str()).result);
}

TEST(BinaryType, OnlyExactLowerCaseExtensionsDecide) {
    EXPECT_EQ(0, BinaryTypeFromFileName(L"app.exe", 7));
    EXPECT_EQ(1, BinaryTypeFromFileName(L"app.dll", 7));
    EXPECT_EQ(7, BinaryTypeFromFileName(L"APP.EXE", 7));
    EXPECT_EQ(7, BinaryTypeFromFileName(L"app", 7));
    EXPECT_EQ(7, BinaryTypeFromFileName(L"app.exe.bak", 7));
}

// A registry/file method reading value "Path" of a fresh test key.
class RegistryProbe : public ::testing::Test {
protected:
    RegistryProbe() : m_key(HKEY_CURRENT_USER, UniqueTestKeyPath(L"probe")) {
        m_params[kParamRootKey] = L"80000001";
        m_params[kParamSubKey] = m_key.SubKey();
        m_params[kParamValue] = L"Path";
        m_params[kParamBinary] = L"app.exe";
        m_params[kParamBinaryType] = L"7";
        m_params[kParamBinaryEnvironment] = L"0";
    }
    int32_t Probe() {
        m_found.clear();
        m_type = -99;
        return ProbeRegistryFile(m_params, m_type, m_found);
    }
    std::wstring Touch(const std::wstring& relative) {
        const std::wstring path = m_folder.Sub(relative);
        WriteBytes(path, "x");
        return path;
    }

    TempFolder m_folder;
    TestRegistryKey m_key;
    std::vector<std::wstring> m_params = std::vector<std::wstring>(kDetectParamCount);
    std::wstring m_found;
    int32_t m_type = -99;
};

TEST_F(RegistryProbe, FolderValueNeedsTheBinaryInside) {
    m_key.SetString(L"Path", m_folder.Path());
    EXPECT_EQ(0, Probe()) << "folder exists but holds no app.exe";
    const std::wstring app = Touch(L"app.exe");
    EXPECT_EQ(1, Probe());
    EXPECT_EQ(app, m_found);
    EXPECT_EQ(7, m_type) << "in the folder case the catalogue's number is reported";
    m_params[kParamBinary] = L"";
    EXPECT_EQ(1, Probe()) << "an empty binary leaves the existing folder itself";
}

TEST_F(RegistryProbe, FileValueTakesItsTypeFromTheExactExtension) {
    m_key.SetString(L"Path", Touch(L"app.exe"));
    EXPECT_EQ(1, Probe());
    EXPECT_EQ(0, m_type);
    m_key.SetString(L"Path", Touch(L"lib.dll"));
    EXPECT_EQ(1, Probe());
    EXPECT_EQ(1, m_type);
    m_key.SetString(L"Path", Touch(L"sub\\APP.EXE"));
    EXPECT_EQ(1, Probe());
    EXPECT_EQ(7, m_type);
}

TEST_F(RegistryProbe, MissingFileFallsBackToTheBinaryInItsFolder) {
    m_key.SetString(L"Path", m_folder.Sub(L"uninst.exe"));
    EXPECT_EQ(0, Probe());
    const std::wstring app = Touch(L"app.exe");
    EXPECT_EQ(1, Probe());
    EXPECT_EQ(app, m_found);
    EXPECT_EQ(7, m_type);
}

TEST_F(RegistryProbe, RootKeyIsHexadecimalWithOrWithoutPrefix) {
    m_key.SetString(L"Path", Touch(L"app.exe"));
    m_params[kParamRootKey] = L"0x80000001";
    EXPECT_EQ(1, Probe());
    m_params[kParamRootKey] = L"zz";
    EXPECT_EQ(0, Probe());
    m_params[kParamRootKey] = L"80000001";
    m_params[kParamValue] = L"Absent";
    EXPECT_EQ(0, Probe());
}

TEST_F(RegistryProbe, LongBinaryTypeTextIsCutToThreeCharacters) {
    m_key.SetString(L"Path", m_folder.Path());
    Touch(L"app.exe");
    m_params[kParamBinaryType] = L"12345";
    EXPECT_EQ(1, Probe());
    EXPECT_EQ(123, m_type);
}

TEST_F(RegistryProbe, ValueMustFitWithItsTerminator) {
    wchar_t buffer[MAX_PATH];
    m_key.SetString(L"Fits", std::wstring(259, L'a'));
    EXPECT_EQ(1, ReadRegistryString(HKEY_CURRENT_USER, m_key.SubKey().c_str(), L"Fits", buffer, 0));
    EXPECT_EQ(259u, wcslen(buffer));
    m_key.SetString(L"TooLong", std::wstring(260, L'a'));
    EXPECT_EQ(0, ReadRegistryString(HKEY_CURRENT_USER, m_key.SubKey().c_str(), L"TooLong", buffer, 0));
    // Exactly 520 bytes without a terminator: never read past the buffer.
    const std::wstring full(260, L'b');
    m_key.SetBytes(L"Full", REG_BINARY, full.data(), 520);
    EXPECT_EQ(0, ReadRegistryString(HKEY_CURRENT_USER, m_key.SubKey().c_str(), L"Full", buffer, 0));
}

TEST(RegistryViews, OnlyTheExactTextOneReadsThe64BitView) {
    if (!RunningElevated()) {
        GTEST_SKIP() << WARESEEK_NEEDS_ELEVATION "writes its key under HKLM, the root with two views";
    }
    TempFolder folder;
    WriteBytes(folder.Sub(L"app.exe"), "x");
    TestRegistryKey key(HKEY_LOCAL_MACHINE, UniqueTestKeyPath(L"view"), RegistryView::Bits64);
    key.SetString(L"Path", folder.Path());
    std::vector<std::wstring> params = {L"80000002", key.SubKey(), L"Path", L"app.exe", L"0", L"1", L"", L"", L"", L""};
    int32_t type = 0;
    std::wstring found;
    EXPECT_EQ(1, ProbeRegistryFile(params, type, found));
    // On 32-bit Windows there is one view; under WOW64 the own view lacks the key.
    const int32_t ownView = RunningUnderWow64() ? 0 : 1;
    for (const wchar_t* other : {L"true", L"0", L""}) {
        params[kParamBinaryEnvironment] = other;
        EXPECT_EQ(ownView, ProbeRegistryFile(params, type, found)) << "binaryEvironment=" << ToUtf8(other);
    }
}

std::wstring ExpandedHere(const std::wstring& text) {
    wchar_t out[MAX_PATH * 2] = {};
    ExpandEnvironmentStringsW(text.c_str(), out, MAX_PATH * 2);
    return out;
}

// A 64-bit program's environment has the values this process sees as
// ProgramW6432 and CommonProgramW6432; elsewhere every name means the same.
TEST(ValueExpansion, AsA64BitProgramOnlyItsProgramFilesFoldersDiffer) {
    const bool wow64 = RunningUnderWow64();
    const std::vector<std::pair<std::wstring, std::wstring>> cases = {
        {L"%ProgramFiles%\\App", wow64 ? L"%ProgramW6432%\\App" : L"%ProgramFiles%\\App"},
        {L"%commonprogramfiles%", wow64 ? L"%CommonProgramW6432%" : L"%CommonProgramFiles%"},
        {L"%SystemRoot%\\x%TEMP%", L"%SystemRoot%\\x%TEMP%"}, {L"%nope%windir%", L"%nope%windir%"},
        {L"a%nope%%windir%", L"a%nope%%windir%"}, {L"100%", L"100%"}, {L"%%windir%", L"%%windir%"}, {L"%windir", L"%windir"}};
    for (const auto& [text, as64] : cases) {
        wchar_t out[MAX_PATH];
        EXPECT_TRUE(ExpandValueText(text.c_str(), true, out) && ExpandedHere(as64) == out) << ToUtf8(text);
        EXPECT_TRUE(ExpandValueText(text.c_str(), false, out) && ExpandedHere(text) == out) << ToUtf8(text);
    }
}

// What the probe finds through values of either view, each row a text of a
// type: nothing is found where the expected path is empty.
struct ViewCase {
    DWORD type;
    std::wstring text;
    std::wstring found32;
    std::wstring found64;
};

// Each case under root (HKEY_CURRENT_USER, whose software keys both views
// share, or HKEY_LOCAL_MACHINE, where they differ), read as either view.
void ExpectFoundInEitherView(HKEY root, const std::vector<ViewCase>& cases) {
    const wchar_t* rootNumber = root == HKEY_LOCAL_MACHINE ? L"80000002" : L"80000001";
    const TestRegistryKey key32(root, UniqueTestKeyPath(L"expand"), RegistryView::Bits32);
    const TestRegistryKey key64(root, UniqueTestKeyPath(L"expand"), RegistryView::Bits64);
    for (const ViewCase& c : cases) {
        for (const bool view64 : {false, true}) {
            const TestRegistryKey& key = view64 ? key64 : key32;
            key.SetString(L"Path", c.text, c.type);
            const std::vector<std::wstring> params = {rootNumber, key.SubKey(), L"Path", L"app.exe", L"0",
                                                      view64 ? L"1" : L"0", L"", L"", L"", L""};
            int32_t type = 0;
            std::wstring found;
            ProbeRegistryFile(params, type, found);
            EXPECT_EQ(view64 ? c.found64 : c.found32, found) << ToUtf8(c.text) << " view64=" << view64;
        }
    }
}

// A REG_EXPAND_SZ text is expanded as the program that wrote it reads it, a
// REG_SZ is taken as written, and an expansion too long for a path names
// nothing. The cases a standard user can set up: values under HKCU, files in
// the user's own folders.
class ExpandableValues : public ::testing::Test {
protected:
    ExpandableValues() {
        for (const std::wstring& file : {m_named + L"\\app.exe", m_huge + L"\\app.exe", m_longest}) WriteBytes(file, "x");
        SetEnvironmentVariableW(L"WSK_NAME", L"elsewhere");
        SetEnvironmentVariableW(L"WSK_HUGE", std::wstring(250, L'x').c_str());
        SetEnvironmentVariableW(L"WSK_LONGEST", m_longest.c_str());
    }
    ~ExpandableValues() override {
        for (const wchar_t* name : {L"WSK_NAME", L"WSK_HUGE", L"WSK_LONGEST"}) SetEnvironmentVariableW(name, nullptr);
    }
    std::vector<ViewCase> UserCases() const {
        const std::wstring cmd = ExpandedHere(L"%SystemRoot%\\System32\\cmd.exe");
        const std::wstring gone;
        return {
            {REG_EXPAND_SZ, L"%SystemRoot%\\System32\\cmd.exe", cmd, cmd},
            {REG_SZ, m_named, m_named + L"\\app.exe", m_named + L"\\app.exe"},
            {REG_EXPAND_SZ, m_named, gone, gone},
            {REG_EXPAND_SZ, m_huge, gone, gone},
            {REG_EXPAND_SZ, L"%WSK_LONGEST%", m_longest, m_longest},  // 259 characters
            {REG_EXPAND_SZ, L"%WSK_LONGEST%x", gone, gone},
        };
    }

    // Folders named literally by a reference, and a path as long as can be.
    const TempFolder m_literal;
    const std::wstring m_named = m_literal.Sub(L"%WSK_NAME%");
    const std::wstring m_huge = m_literal.Sub(L"%WSK_HUGE%");
    const std::wstring m_longest = m_literal.Sub(std::wstring(MAX_PATH - 6 - m_literal.Path().size(), L'f') + L".exe");
};

TEST_F(ExpandableValues, AreExpandedAsTheirWriterReadsThem) {
    ExpectFoundInEitherView(HKEY_CURRENT_USER, UserCases());
}

// The same under HKLM, and %ProgramFiles%, which a 64-bit writer reads as the
// 64-bit Program Files: folders there only administrators may make.
TEST_F(ExpandableValues, AreExpandedAlikeUnderHklmAndInProgramFiles) {
    if (!RunningElevated()) {
        GTEST_SKIP() << WARESEEK_NEEDS_ELEVATION "writes keys under HKLM and folders in Program Files";
    }
    const bool wow64 = RunningUnderWow64();
    // Folders that only a 64-bit, or only a 32-bit, program's %ProgramFiles%
    // names (the same on 32-bit Windows).
    const TempFolder in64(ExpandedHere(wow64 ? L"%ProgramW6432%" : L"%ProgramFiles%"));
    const TempFolder in32(ExpandedHere(L"%ProgramFiles%"));
    const std::wstring app64 = in64.Sub(L"app.exe");
    const std::wstring app32 = in32.Sub(L"app.exe");
    for (const std::wstring& file : {app64, app32}) WriteBytes(file, "x");
    const std::wstring gone;
    std::vector<ViewCase> cases = UserCases();
    cases.insert(cases.end(), {
        {REG_EXPAND_SZ, L"%ProgramFiles%" + in64.Path().substr(in64.Path().rfind(L'\\')), wow64 ? gone : app64, app64},
        {REG_EXPAND_SZ, L"%ProgramFiles%" + in32.Path().substr(in32.Path().rfind(L'\\')), app32, wow64 ? gone : app32},
        {REG_SZ, L"%ProgramFiles%" + in32.Path().substr(in32.Path().rfind(L'\\')), gone, gone},
    });
    ExpectFoundInEitherView(HKEY_LOCAL_MACHINE, cases);
}

// Under WOW64 this process sees SysWOW64 as System32; a value of the 64-bit
// view names the 64-bit System32, which it reaches through Sysnative.
TEST(SystemFolder, OfThe64BitViewIsThe64BitOne) {
    if (!RunningUnderWow64()) GTEST_SKIP() << "32-bit Windows has one system folder: no redirection to look past";
    if (!RunningElevated()) {
        GTEST_SKIP() << WARESEEK_NEEDS_ELEVATION "makes a folder in the 64-bit system folder";
    }
    wchar_t windows[MAX_PATH] = {};
    wchar_t system[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    GetSystemDirectoryW(system, MAX_PATH);
    const TempFolder native(std::wstring(windows) + L"\\Sysnative");
    WriteBytes(native.Sub(L"app.exe"), "x");
    const std::wstring name = native.Path().substr(native.Path().rfind(L'\\'));
    const std::wstring inSystem = system + name;
    ASSERT_FALSE(FileExists(inSystem)) << "only the 64-bit system folder holds it";
    const std::wstring app = inSystem + L"\\app.exe";
    ExpectFoundInEitherView(HKEY_LOCAL_MACHINE, {
        {REG_SZ, app, L"", app},
        {REG_SZ, inSystem + L"\\uninst.exe", L"", app},
        {REG_EXPAND_SZ, L"%SystemRoot%\\System32" + name, L"", ExpandedHere(L"%SystemRoot%\\System32") + name + L"\\app.exe"},
    });
    EXPECT_FALSE(FileExists(inSystem)) << "redirection is on again after the probe";
}

// A copy of the sleeper under a name no other process has.
class ProcessProbe : public ::testing::Test {
protected:
    ProcessProbe()
        : m_name(L"wsksleep" + std::to_wstring(GetCurrentProcessId()) + L".exe"),
          m_path(m_folder.Sub(L"App 2.0\\" + m_name)) {
        CopyFileTo(ProgramFolder() + L"\\wareseek_sleeper.exe", m_path);
    }
    int32_t Probe(const std::wstring& name) {
        std::vector<std::wstring> params(kDetectParamCount);
        params[kParamProcess] = name;
        m_found.clear();
        return ProbeProcess(params, m_type, m_snapshot, m_found);
    }

    TempFolder m_folder;
    std::wstring m_name;
    std::wstring m_path;
    ProcessSnapshot m_snapshot;
    std::wstring m_found;
    int32_t m_type = -99;
};

TEST_F(ProcessProbe, FindsARunningProcessByItsImageName) {
    RunningProcess sleeper(m_path);
    ASSERT_TRUE(sleeper.Started());
    EXPECT_EQ(1, Probe(m_name));
    EXPECT_EQ(0, m_type);
    EXPECT_EQ(0, _wcsicmp(m_path.c_str(), m_found.c_str())) << ToUtf8(m_found);
    std::wstring upper = m_name;
    for (wchar_t& c : upper) c = towupper(c);
    EXPECT_EQ(1, Probe(upper)) << "file names ignore letter case";
    EXPECT_EQ(0, Probe(L"C:\\windows\\" + m_name));
    EXPECT_EQ(0, Probe(L""));
}

// An image keeps the letter case of its file (WINWORD.EXE); the catalogue may
// write the name in any case.
TEST_F(ProcessProbe, ImageNamesMatchInAnyLetterCase) {
    const std::wstring id = std::to_wstring(GetCurrentProcessId());
    const struct {
        std::wstring file;
        std::wstring catalogue;
    } cases[] = {
        {L"WSKCASE" + id + L".EXE", L"wskcase" + id + L".exe"},
        {L"WskMixed" + id + L".Exe", L"wskmixed" + id + L".exe"},
        {L"wsklower" + id + L".exe", L"WSKLOWER" + id + L".EXE"},
    };
    for (const auto& c : cases) {
        CopyFileTo(ProgramFolder() + L"\\wareseek_sleeper.exe", m_folder.Sub(c.file));
        RunningProcess sleeper(m_folder.Sub(c.file));
        m_snapshot = ProcessSnapshot();
        EXPECT_EQ(1, Probe(c.catalogue)) << ToUtf8(c.file);
        EXPECT_EQ(0, _wcsicmp(m_folder.Sub(c.file).c_str(), m_found.c_str())) << ToUtf8(m_found);
    }
}

// Two processes of one name: the later in the list, unless only the other's
// path can be read (a process a standard user cannot open, forced here by
// the path the pass has already read for it).
TEST_F(ProcessProbe, NamesakeWhosePathCanBeReadIsReported) {
    const std::wstring other = m_folder.Sub(L"Other\\" + m_name);
    CopyFileTo(m_path, other);
    RunningProcess first(m_path);
    RunningProcess second(other);
    std::vector<ListedProcess> listed;
    ASSERT_TRUE(ListRunningProcesses(listed));
    const auto firstPlace = std::find_if(listed.begin(), listed.end(), [&](auto& p) { return p.id == first.Id(); });
    const auto secondPlace = std::find_if(listed.begin(), listed.end(), [&](auto& p) { return p.id == second.Id(); });
    ASSERT_TRUE(firstPlace != listed.end() && secondPlace != listed.end());
    const bool secondIsLater = secondPlace > firstPlace;
    const DWORD laterId = secondIsLater ? second.Id() : first.Id();
    const std::wstring& laterPath = secondIsLater ? other : m_path;
    const std::wstring& earlierPath = secondIsLater ? m_path : other;

    EXPECT_EQ(1, Probe(m_name));
    EXPECT_EQ(0, _wcsicmp(laterPath.c_str(), m_found.c_str())) << ToUtf8(m_found);
    m_snapshot = ProcessSnapshot();
    EXPECT_EQ(0, Probe(L"none.exe"));  // a fresh snapshot
    m_snapshot.paths[laterId] = L"";
    EXPECT_EQ(1, Probe(m_name));
    EXPECT_EQ(0, _wcsicmp(earlierPath.c_str(), m_found.c_str())) << ToUtf8(m_found);
}

// services.exe always runs, for SYSTEM, in session 0; on 64-bit Windows it is
// a 64-bit process, whose module list a 32-bit process cannot read. Without
// administrator rights it cannot even be opened: the path comes from the
// system's process list, which needs no handle. So this holds unelevated too.
TEST_F(ProcessProbe, FindsSystemProcessesOfEitherBitness) {
    EXPECT_EQ(1, Probe(L"services.exe"));
    EXPECT_EQ(0, m_type);
    const std::wstring tail = L"\\system32\\services.exe";
    ASSERT_GT(m_found.size(), tail.size());
    EXPECT_EQ(0, _wcsicmp(tail.c_str(), m_found.c_str() + m_found.size() - tail.size())) << ToUtf8(m_found);
}

TEST_F(ProcessProbe, SnapshotIsReusedUntilEmptied) {
    EXPECT_EQ(0, Probe(m_name));
    ASSERT_FALSE(m_snapshot.processIds.empty());
    RunningProcess sleeper(m_path);
    EXPECT_EQ(0, Probe(m_name)) << "the snapshot of this pass predates the process";
    m_snapshot = ProcessSnapshot();
    EXPECT_EQ(1, Probe(m_name));
}

// Counts the process lists a pass takes.
struct ProcessListCounter : DetectionObserver {
    void ProcessListTaken(size_t) override { ++lists; }
    int lists = 0;
};

// The pass over records: which method decides and what the record keeps.
class DetectionPass : public ::testing::Test {
protected:
    DetectionPass() : m_key(HKEY_CURRENT_USER, UniqueTestKeyPath(L"pass")) {}
    DetectMethod RegistryMethod(const wchar_t* value) {
        DetectMethod method;
        method.params = {L"80000001", m_key.SubKey(), value, L"app.exe", L"5", L"0", L"", L"", L"", L""};
        return method;
    }
    DetectMethod ProcessMethod(const wchar_t* name) {
        DetectMethod method;
        method.methodType = kMethodProcess;
        method.params[kParamProcess] = name;
        return method;
    }
    ProductRecord& Stored(const wchar_t* guid) {
        ProductPosition position;
        uint32_t group = 0;
        m_manager.GetFirstProduct(position, group);
        while (ProductRecord* record = m_manager.GetNextProduct(position, group)) {
            if (record->guid == guid) return *record;
        }
        throw std::runtime_error("no such record");
    }

    TempFolder m_folder;
    TestRegistryKey m_key;
    ProductManager m_manager;
};

TEST_F(DetectionPass, FirstSuccessfulMethodDecidesAndLaterOnesDoNotRun) {
    const std::wstring app = m_folder.Sub(L"app.exe");
    WriteBytes(app, "x");
    m_key.SetString(L"Path", m_folder.Path());
    ProductRecord record;
    record.guid = L"found";
    record.methods = {RegistryMethod(L"Absent"), RegistryMethod(L"Path"), ProcessMethod(L"explorer.exe")};
    m_manager.AddProduct(0, record);
    ProductRecord unknown;
    unknown.guid = L"unknown";
    DetectMethod odd;
    odd.methodType = 7;
    unknown.methods = {odd};
    m_manager.AddProduct(1, unknown);
    ProductRecord bare;
    bare.guid = L"bare";
    m_manager.AddProduct(2, bare);

    ProcessListCounter counter;
    EXPECT_EQ(1, m_manager.RunDetection(&counter));
    const ProductRecord& found = Stored(L"found");
    EXPECT_EQ(1, found.installed);
    EXPECT_EQ(m_folder.Path() + L"\\", found.foundFolder);
    EXPECT_EQ(L"app.exe", found.foundFile);
    EXPECT_EQ(5, found.foundType);
    EXPECT_EQ(0, counter.lists) << "the process method must not have run";
    EXPECT_EQ(0, Stored(L"unknown").installed);
    EXPECT_EQ(0, Stored(L"bare").installed);
}

TEST_F(DetectionPass, ProductNoLongerFoundKeepsWhereItWasFound) {
    const std::wstring app = m_folder.Sub(L"app.exe");
    WriteBytes(app, "x");
    m_key.SetString(L"Path", app);
    ProductRecord record;
    record.guid = L"g";
    record.methods = {RegistryMethod(L"Path")};
    m_manager.AddProduct(0, record);
    m_manager.RunDetection();
    ASSERT_EQ(1, Stored(L"g").installed);
    DeleteFileW(app.c_str());
    m_manager.RunDetection();
    const ProductRecord& gone = Stored(L"g");
    EXPECT_EQ(0, gone.installed);
    EXPECT_EQ(L"app.exe", gone.foundFile);
    EXPECT_EQ(0, gone.foundType);
}

TEST_F(DetectionPass, OneProcessSnapshotServesEveryProcessMethod) {
    const std::wstring image = L"wskpass" + std::to_wstring(GetCurrentProcessId()) + L".exe";
    CopyFileTo(ProgramFolder() + L"\\wareseek_sleeper.exe", m_folder.Sub(image));
    RunningProcess sleeper(m_folder.Sub(image));
    ASSERT_TRUE(sleeper.Started());
    ProductRecord first;
    first.guid = L"a";
    first.methods = {ProcessMethod(L"no-such-process.exe")};
    ProductRecord second;
    second.guid = L"b";
    second.methods = {ProcessMethod(image.c_str())};
    m_manager.AddProduct(0, first);
    m_manager.AddProduct(0, second);
    ProcessListCounter counter;
    m_manager.RunDetection(&counter);
    EXPECT_EQ(1, counter.lists);
    EXPECT_EQ(1, Stored(L"b").installed);
    EXPECT_EQ(image, Stored(L"b").foundFile);
    EXPECT_EQ(0, Stored(L"b").foundType);
    m_manager.RunDetection(&counter);
    EXPECT_EQ(2, counter.lists) << "every pass lists the processes afresh";
}

}  // namespace
