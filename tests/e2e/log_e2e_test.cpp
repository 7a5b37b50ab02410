// The debug log: the registry switch read at load and what the module logs,
// in the machine's log, borrowed where it is the tests' to use; the file
// format, the size limit and several processes writing at once, in a log file
// of the test's own. The mutex is shared by the machine, so these run alone.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <optional>
#include <cwchar>
#include <regex>
#include <set>
#include <thread>

#include "http_test_server.h"
#include "staged_module.h"
#include "test_debug_log.h"
#include "log/debug_log.h"
#include "win32/win_owners.h"
#include "test_platform.h"
#include "test_process.h"
#include "test_registry.h"

namespace {

// The message part of a line, after checking the timestamp and the TAB.
std::wstring MessageOf(const std::wstring& line) {
    static const std::wregex shape(L"\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\t.*");
    EXPECT_TRUE(std::regex_match(line, shape)) << ToUtf8(line);
    return line.size() > 20 ? line.substr(20) : std::wstring();
}

size_t Count(const std::vector<std::wstring>& lines, const std::wstring& message) {
    size_t count = 0;
    for (const std::wstring& line : lines) count += MessageOf(line) == message;
    return count;
}

class DebugLog : public ::testing::Test {
protected:
    void SetUp() override {
        WARESEEK_SKIP_WITH(WhyTheDebugLogIsNotOurs());
        m_log.emplace();
        ASSERT_TRUE(m_log->Borrowed());
    }
    void RegisterOnce() {
        ASSERT_TRUE(m_module.Load());
        ObjectHolder object(m_module.NewRegisteredObject());
    }
    std::optional<DebugLogSwitchedOn> m_log;  // put back after the module below unloads
    StagedModule m_module;
};

struct LogAtPath : CMLog {
    explicit LogAtPath(const std::wstring& path) : CMLog(path.c_str()) {}
};

// The file format, the size limit and the mutex, in a log file of the test's
// own: no switch and no machine's log are needed, so these run for a standard
// user too (any account may create the Global\\ mutex). The mutex is the
// product's: they skip while the product logs on this PC.
class LogFile : public ::testing::Test {
protected:
    void SetUp() override { WARESEEK_SKIP_WITH(WhyTheLogMutexIsNotOurs()); }
    // Set up on first use, so that a test can take the mutex's name first.
    CMLog& Log() {
        if (!m_log) m_log.emplace(Path());
        return *m_log;
    }
    std::wstring Path() const { return m_folder.Sub(L"wareseek.log"); }
    std::vector<std::wstring> Lines() const { return LogFileLines(Path()); }

    TempFolder m_folder;
    std::optional<LogAtPath> m_log;
};

TEST_F(DebugLog, SwitchOffOrNotTheTextOneWritesNothing) {
    m_log->SetSwitch(nullptr);
    RegisterOnce();
    m_module.Unload();
    for (const wchar_t* text : {L"01", L"10"}) {
        m_log->SetSwitch(text);
        RegisterOnce();
        m_module.Unload();
    }
    m_log->SetSwitchNumber(1);
    RegisterOnce();
    EXPECT_FALSE(FileExists(DebugLogPath()));
}

TEST_F(DebugLog, FirstLineStartsAFileWithByteOrderMark) {
    RegisterOnce();  // registration and release each empty the catalogue
    const std::string bytes = ReadBytes(DebugLogPath());
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ("\xFF\xFE", bytes.substr(0, 2));
    const std::vector<std::wstring> lines = LogFileLines(DebugLogPath());
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(L"插件信息清空", MessageOf(lines[0]));
    EXPECT_EQ(L"插件信息清空", MessageOf(lines[1]));
}

// Loading runs under the loader lock, where the registry and the shell are off
// limits: the host's first call sets the log up instead.
TEST_F(DebugLog, SetUpWaitsForTheFirstQueryNotTheLoad) {
    if (!m_log->MadeTheFolders()) {
        GTEST_SKIP() << "this PC has the log's folder " << ToUtf8(DebugLogOuterFolder()) << ": it is kept as it is";
    }
    const std::wstring logFolder = DebugLogOuterFolder() + L"\\log";
    ASSERT_TRUE(RemoveDirectoryW(logFolder.c_str()));
    ASSERT_TRUE(RemoveDirectoryW(DebugLogOuterFolder().c_str()));
    ASSERT_TRUE(m_module.Load());
    EXPECT_FALSE(FileExists(DebugLogOuterFolder())) << "loading the module creates nothing";
    IPCCheckPluginObject* created = nullptr;
    ASSERT_EQ(S_OK, m_module.Query(WARESEEK_PLUGIN_ID, &created));
    ObjectHolder object(created);
    EXPECT_TRUE(FileExists(logFolder));
    EXPECT_FALSE(FileExists(DebugLogPath())) << "no line yet";
    object->RegisterCallback(&CallbackLog::Record, m_module.Context());  // logs the emptied catalogue
    EXPECT_EQ(1u, LogFileLines(DebugLogPath()).size());
}

TEST_F(LogFile, FileIsRestartedOnlyBeyondTenMebibytes) {
    std::string full(10485760, 'a');
    full[0] = '\xFF';
    full[1] = '\xFE';
    WriteBytes(Path(), full);
    CMLog& log = Log();
    log.Log(L"appended");
    std::string bytes = ReadBytes(Path());
    EXPECT_GT(bytes.size(), full.size()) << "a file of exactly the limit is appended to";
    EXPECT_TRUE(bytes.compare(0, full.size(), full) == 0) << "the old content stays in front";
    log.Log(L"restarted");  // the file is now beyond the limit
    std::vector<std::wstring> lines = Lines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(L"restarted", MessageOf(lines[0]));

    WriteBytes(Path(), full + "a");
    log.Log(L"first of a new file");
    bytes = ReadBytes(Path());
    EXPECT_EQ("\xFF\xFE", bytes.substr(0, 2));
    lines = Lines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(L"first of a new file", MessageOf(lines[0]));
}

TEST_F(LogFile, LongMessagesAreCutToTheLineLimit) {
    CMLog& log = Log();
    log.Log(L"%s", std::wstring(1001, L'm').c_str());
    log.Log(L"%s", std::wstring(1100, L'n').c_str());
    const std::string bytes = ReadBytes(Path());
    const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    ASSERT_EQ(2046u, text.size());
    EXPECT_EQ(L"\r\n", text.substr(1021, 2)) << "1,001 characters still end with CR LF";
    EXPECT_EQ(L'n', text.back()) << "longer messages lose their CR LF";
}

TEST_F(LogFile, CallersLastErrorSurvives) {
    CMLog& log = Log();
    SetLastError(4321);
    log.Log(L"keeps the error");
    EXPECT_EQ(4321u, GetLastError());
}

TEST_F(LogFile, HeldMutexDropsLinesInsteadOfBlocking) {
    Log();  // the mutex exists from here on
    HANDLE held = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        HANDLE mutex = OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, L"Global\\MLOGwareseek.log");
        WaitForSingleObject(mutex, INFINITE);
        SetEvent(held);
        WaitForSingleObject(release, INFINITE);
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    });
    WaitForSingleObject(held, INFINITE);
    Log().Log(L"dropped while another holds the log");
    Log().Log(L"dropped too");
    SetEvent(release);
    holder.join();
    Log().Log(L"written once the log is free");
    const std::vector<std::wstring> lines = Lines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(L"written once the log is free", MessageOf(lines[0]));
    CloseHandle(held);
    CloseHandle(release);
}

// A thread that ends holding the mutex abandons it. The next wait takes it
// over and must give it back: kept, it would silence every other thread and
// process for good.
TEST_F(LogFile, AbandonedMutexIsTakenOverAndGivenBack) {
    CMLog& log = Log();
    std::thread([] {
        UniqueHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, L"Global\\MLOGwareseek.log"));
        WaitForSingleObject(mutex.Get(), INFINITE);
    }).join();
    log.Log(L"written after the holder ended");
    std::thread([&log] { log.Log(L"written by another thread"); }).join();
    const std::vector<std::wstring> lines = Lines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(L"written by another thread", MessageOf(lines[1]));
}

// Runs log_writer processes w0, w1... at once, each logging `lines` lines
// into the log file at path.
void RunWriters(int writers, int lines, const std::wstring& path) {
    std::vector<std::thread> threads;
    for (int i = 0; i < writers; ++i) {
        threads.emplace_back([i, lines, &path] {
            RunToEnd(L"\"" + ProgramFolder() + L"\\wareseek_log_writer.exe\" w" + std::to_wstring(i) + L" " +
                     std::to_wstring(lines) + L" \"" + path + L"\"");
        });
    }
    for (std::thread& thread : threads) thread.join();
}

// The log holds each writer's every line once, whole, after the byte-order mark.
void ExpectEveryWriterLineOnce(int writers, int lines, const std::wstring& path) {
    EXPECT_EQ("\xFF\xFE", ReadBytes(path).substr(0, 2));
    static const std::wregex whole(
        L"\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\twriter w\\d line \\d+ of a message long enough to be "
        L"written in several pieces by a careless logger");
    const std::vector<std::wstring> logged = LogFileLines(path);
    std::set<std::wstring> messages;
    size_t broken = 0;
    std::wstring firstBroken;
    for (const std::wstring& line : logged) {
        if (!std::regex_match(line, whole) && broken++ == 0) firstBroken = line;
        if (line.size() > 20) messages.insert(line.substr(20));  // after the timestamp
    }
    EXPECT_EQ(0u, broken) << "first broken line: " << ToUtf8(firstBroken);
    EXPECT_EQ(static_cast<size_t>(writers * lines), logged.size());
    EXPECT_EQ(static_cast<size_t>(writers * lines), messages.size()) << "each line once";
}

TEST_F(LogFile, ConcurrentProcessesWriteWholeLines) {
    RunWriters(4, 300, Path());
    ExpectEveryWriterLineOnce(4, 300, Path());
}

// Eight writers cross the size limit while they write: the file restarts once,
// with its byte-order mark, and loses only what the restart deletes. Under the
// mutex, lines take turns, so the deleted file was the one that first went past
// the limit: the writers' lost lines, at the front of each writer's sequence,
// with the pre-filled bytes make up more than the limit and less than one line
// beyond it. On Windows a scanner that holds the deleted file keeps its name
// taken (delete pending) a while, and lines written meanwhile are lost too:
// there the loss is only bounded below, and kept lines need only keep order.
TEST_F(LogFile, ConcurrentProcessesAcrossTheRestartLoseOnlyTheDeletedFile) {
    const int writers = 8;
    const int lines = 2000;
    const size_t limit = 10485760;
    const size_t prefill = limit - 2 * 1024 * 1024;  // half the writers' bytes
    std::string old(prefill, 'a');
    old[0] = '\xFF';
    old[1] = '\xFE';
    WriteBytes(Path(), old);
    RunWriters(writers, lines, Path());

    const std::string bytes = ReadBytes(Path());
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ("\xFF\xFE", bytes.substr(0, 2));
    EXPECT_LT(bytes.size(), limit) << "restarted once, not appended to the old file";
    const std::wstring tail = L" of a message long enough to be written in several pieces by a careless logger";
    static const std::wregex whole(L"\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\twriter w(\\d) line (\\d+)" + tail);
    std::vector<std::vector<int>> kept(writers);
    size_t broken = 0;
    std::wstring firstBroken;
    for (const std::wstring& line : Lines()) {
        std::wsmatch parts;
        if (std::regex_match(line, parts, whole)) {
            kept[std::stoi(parts[1].str())].push_back(std::stoi(parts[2].str()));
        } else if (broken++ == 0) {
            firstBroken = line;
        }
    }
    EXPECT_EQ(0u, broken) << "first broken line: " << ToUtf8(firstBroken);
    const bool exactLoss = RunningUnderWine();
    size_t lostBytes = 0;
    size_t longest = 0;
    for (int writer = 0; writer < writers; ++writer) {
        // Each writer's kept lines are in order, each once; under Wine they are
        // its last ones.
        const std::vector<int>& own = kept[writer];
        const int first = lines - static_cast<int>(own.size());
        for (size_t i = 0; i < own.size(); ++i) {
            const bool inPlace = exactLoss ? own[i] == first + static_cast<int>(i) : i == 0 || own[i] > own[i - 1];
            if (!inPlace) {
                ADD_FAILURE() << "writer " << writer << " kept line " << own[i] << " at place " << i;
                break;
            }
        }
        const std::set<int> keptLines(own.begin(), own.end());
        for (int i = 0; i < lines; ++i) {
            const size_t lineBytes =
                (20 + (L"writer w" + std::to_wstring(writer) + L" line " + std::to_wstring(i) + tail).size() + 2) *
                sizeof(wchar_t);
            longest = std::max(longest, lineBytes);
            if (keptLines.count(i) == 0) lostBytes += lineBytes;
        }
    }
    EXPECT_GT(prefill + lostBytes, limit) << "lines lost before the file reached the limit";
    if (exactLoss) {
        EXPECT_LE(prefill + lostBytes, limit + longest) << "lines lost after the restart";
    }
}

// A process that may not create global objects gets no mutex. Here the name is
// taken by an event, so no writer gets one; this runs as its own test program
// run, in which nothing has created the mutex before.
TEST_F(LogFile, ProcessesWithoutTheMutexStillWriteWholeLines) {
    UniqueHandle squatter(CreateEventW(nullptr, TRUE, FALSE, L"Global\\MLOGwareseek.log"));
    ASSERT_TRUE(squatter && GetLastError() != ERROR_ALREADY_EXISTS) << "the mutex name must be free";
    RunWriters(4, 300, Path());
    ExpectEveryWriterLineOnce(4, 300, Path());
}

TEST_F(DebugLog, ProbesLogTheirStepsAndProcessesAreListedOncePerPass) {
    TempFolder install;
    WriteBytes(install.Sub(L"app.exe"), "x");
    TestRegistryKey key(HKEY_LOCAL_MACHINE, UniqueTestKeyPath(L"log"));
    key.SetString(L"Path", install.Sub(L"app.exe"));
    m_module.WriteOwnCatalogue(
        L"<Product GUID='a' productType='0'><Detect><Method methodType='1' process='none.exe'/></Detect></Product>"
        L"<Product GUID='b' productType='0'><Detect><Method methodType='1' process='services.exe'/></Detect></Product>"
        L"<Product GUID='c' productType='0'><Detect><Method rootKey='80000002' subKey='" +
        key.SubKey() + L"' value='Path' binaryType='4'/></Detect></Product>");
    ASSERT_TRUE(m_module.Load());
    ObjectHolder object(m_module.NewRegisteredObject());
    object->HandleRequest(Request(L"QUERY").c_str());
    std::vector<std::wstring> lines = LogFileLines(DebugLogPath());
    EXPECT_EQ(1u, Count(lines, L"progress name=services.exe"));
    const std::wstring app = install.Sub(L"app.exe");
    const std::vector<std::wstring> probeLines = {L"root=80000002, subkey=" + key.SubKey() + L", value=Path",
                                                  L"value = " + app, L"szPath = " + app,
                                                  L"exename = " + app + L", type=0"};
    ASSERT_GE(lines.size(), probeLines.size());
    const std::vector<std::wstring> tail(lines.end() - 4, lines.end());
    std::vector<std::wstring> tailMessages;
    for (const std::wstring& line : tail) tailMessages.push_back(MessageOf(line));
    EXPECT_EQ(probeLines, tailMessages);

    object->HandleRequest(Request(L"QUERY").c_str());
    EXPECT_EQ(2u, Count(LogFileLines(DebugLogPath()), L"progress name=services.exe")) << "every pass takes its own snapshot";
}

// A catalogue, perhaps fetched over plain http, names its registry root by
// number. The module opens only the predefined roots that hold installed
// programs' keys, never a key handle its host happens to hold under that
// number, nor HKEY_PERFORMANCE_DATA, and logs each refusal.
TEST_F(DebugLog, OnlyPredefinedRegistryRootsAreOpened) {
    TempFolder install;
    WriteBytes(install.Sub(L"app.exe"), "x");
    const TestRegistryKey held(HKEY_CURRENT_USER, UniqueTestKeyPath(L"held"));
    const TestRegistryKey sub(HKEY_CURRENT_USER, held.SubKey() + L"\\Sub");
    sub.SetString(L"InstallDir", install.Path());
    UniqueRegKey handle;  // a key this process, the module's host, holds open
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, held.SubKey().c_str(), 0, KEY_READ, handle.Receive()));
    wchar_t number[16] = {};
    swprintf(number, 16, L"%lX", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(handle.Get())));
    const struct {
        const wchar_t* guid;
        std::wstring rootKey, subKey, value;
    } cases[] = {
        {L"held", number, L"Sub", L"InstallDir"},
        {L"hkcu", L"80000001", sub.SubKey(), L"InstallDir"},  // the same key through its root
        {L"hkpd", L"80000004", L"", L"Global"},               // the query that loads the counter libraries
    };
    std::wstring products;
    for (const auto& c : cases) {
        products += std::wstring(L"<Product GUID='") + c.guid + L"' name='" + c.guid +
                    L"' productType='0'><Detect><Method rootKey='" + c.rootKey + L"' subKey='" + c.subKey +
                    L"' value='" + c.value + L"' binary='app.exe'/></Detect></Product>";
    }
    m_module.WriteOwnCatalogue(products);
    ASSERT_TRUE(m_module.Load());
    ObjectHolder object(m_module.NewRegisteredObject());
    object->HandleRequest(Request(L"QUERY").c_str());
    ASSERT_EQ(1u, CallbackLog::Calls().size());
    const std::vector<ListedItem> expected = {{L"held", L"held", 0, 0}, {L"hkcu", L"hkcu", 1, 0}, {L"hkpd", L"hkpd", 0, 0}};
    EXPECT_EQ(expected, ParseItems(CallbackLog::Calls()[0].response));
    EXPECT_EQ(2u, Count(LogFileLines(DebugLogPath()), L"root refused: not a registry root a catalogue may use"));
}

TEST_F(DebugLog, FileFoundBesideAMissingOneIsNotLoggedAsFound) {
    TempFolder install;
    WriteBytes(install.Sub(L"app.exe"), "x");
    TestRegistryKey key(HKEY_LOCAL_MACHINE, UniqueTestKeyPath(L"fallback"));
    key.SetString(L"Path", install.Sub(L"uninst.exe"));
    m_module.WriteOwnCatalogue(L"<Product GUID='f' productType='0'><Detect><Method rootKey='80000002' subKey='" +
                               key.SubKey() + L"' value='Absent'/><Method rootKey='80000002' subKey='" +
                               key.SubKey() + L"' value='Path' binary='app.exe'/></Detect></Product>");
    ASSERT_TRUE(m_module.Load());
    ObjectHolder object(m_module.NewRegisteredObject());
    object->HandleRequest(Request(L"QUERY").c_str());
    ASSERT_EQ(1u, CallbackLog::Calls().size());
    EXPECT_EQ(1, ParseItems(CallbackLog::Calls()[0].response).at(0).installed);
    std::vector<std::wstring> messages;
    for (const std::wstring& line : LogFileLines(DebugLogPath())) messages.push_back(MessageOf(line));
    const std::wstring missing = install.Sub(L"uninst.exe");
    const std::vector<std::wstring> expected = {L"插件信息清空",
                                                L"root=80000002, subkey=" + key.SubKey() + L", value=Absent",
                                                L"Regiter get value faile",
                                                L"root=80000002, subkey=" + key.SubKey() + L", value=Path",
                                                L"value = " + missing, L"szPath = " + missing};
    EXPECT_EQ(expected, messages);
}

// A downloaded sign-in page goes back for the old file, and the log says
// why. When a scanner holds the file so that it cannot be replaced, the log
// says that too, and the answer comes from what is on disk.
TEST_F(DebugLog, ADownloadThatIsNoCatalogueSaysWhetherTheOldFileCameBack) {
    m_module.InstallDownloader(ProgramFolder() + L"\\wareseek_recording_download.dll");
    WriteBytes(m_module.Folder() + L"\\download_answer.xml", "<html><body>Sign in<br/></body></html>");
    m_module.WriteOwnCatalogue(L"<Product GUID='old' name='old' productType='2'/>");
    const std::wstring catalogue = m_module.ProductCfg(StagedModule::OwnCatalogueName());
    ASSERT_TRUE(m_module.Load());
    ObjectHolder object(m_module.NewRegisteredObject());
    const struct {
        bool held;
        const wchar_t* line;
        size_t listed;
    } cases[] = {
        {false, L"downloaded catalogue has no Product element: the previous file is restored", 1},
        {true, L"downloaded catalogue has no Product element: the previous file could not be restored", 0},
    };
    for (const auto& c : cases) {
        UniqueFile scanner;
        if (c.held) {
            scanner.Reset(CreateFileW(catalogue.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        }
        CallbackLog::Reset();
        object->HandleRequest(Request(L"QUERY", L"1").c_str());
        ASSERT_EQ(1u, CallbackLog::Calls().size());
        EXPECT_EQ(c.listed, ParseItems(CallbackLog::Calls()[0].response).size()) << ToUtf8(c.line);
        EXPECT_EQ(1u, Count(LogFileLines(DebugLogPath()), c.line));
    }
}

// With a vendor's key beside the catalogue, a refused download says why.
TEST_F(DebugLog, ARefusedSignatureSaysWhichCaseItWas) {
    m_module.InstallDownloader(ProgramFolder() + L"\\wareseek_recording_download.dll");
    WriteBytes(m_module.Folder() + L"\\download_answer.xml", "<Products><Product GUID='new' productType='2'/></Products>");
    m_module.WriteOwnCatalogue(L"<Product GUID='old' name='old' productType='2'/>");
    const std::wstring key = m_module.ProductCfg(L"catalogue-key.pem");
    ASSERT_TRUE(m_module.Load());
    ObjectHolder object(m_module.NewRegisteredObject());
    const struct {
        bool folder;
        const wchar_t* line;
    } cases[] = {
        {true, L"downloaded catalogue refused, the key file cannot be read: the previous file is kept"},
        {false, L"downloaded catalogue refused, the key file holds no RSA public key of 2,048 to 4,096 bits in PEM "
                L"\"PUBLIC KEY\" form: the previous file is kept"},
    };
    for (const auto& c : cases) {
        RemoveDirectoryW(key.c_str());
        if (c.folder) CreateDirectoryW(key.c_str(), nullptr);
        if (!c.folder) WriteBytes(key, "-----BEGIN PUBLIC KEY-----\nnot base64\n-----END PUBLIC KEY-----\n");
        CallbackLog::Reset();
        object->HandleRequest(Request(L"QUERY", L"1").c_str());
        ASSERT_EQ(1u, CallbackLog::Calls().size());
        EXPECT_EQ(L"old", ParseItems(CallbackLog::Calls()[0].response).at(0).guid) << ToUtf8(c.line);
        EXPECT_EQ(1u, Count(LogFileLines(DebugLogPath()), c.line));
    }
}

// A signed download that would not fit the download module's request is not
// begun: one line names the part, its length and the limit.
TEST_F(DebugLog, ASignedDownloadThatDoesNotFitSaysWhichPartAndWhy) {
    m_module.InstallDownloader(ProgramFolder() + L"\\wareseek_recording_download.dll");
    WriteBytes(m_module.ProductCfg(L"catalogue-key.pem"), "never read");
    const std::wstring address = L"http://h/" + std::wstring(246 - 9, L'a');
    m_module.WriteIni(L"[SMPPluginsCfg]\r\nfile32_url=" + address + L"\r\nfile64_url=" + address + L"\r\n");
    ASSERT_TRUE(m_module.Load());
    ObjectHolder object(m_module.NewRegisteredObject());
    object->HandleRequest(Request(L"QUERY", L"1").c_str());
    EXPECT_EQ(1u, Count(LogFileLines(DebugLogPath()), L"catalogue download skipped, the signature's address is 250 characters long as "
                                    L"sent, and the download module takes at most 248: the catalogue in use is kept"));
}

// A fetched catalogue that cannot be put in place (on Windows, most often a
// standard-user host under Program Files) is logged with the reason.
TEST_F(DebugLog, ACatalogueThatCannotBeSavedIsLoggedWithTheReason) {
    HttpTestServer server;
    server.Serve("/catalogue.xml", 200, "<Products><Product GUID='new' productType='2'/></Products>");
    ASSERT_TRUE(server.Start());
    m_module.InstallDownloader(StageFolder() + L"\\zqdownload.dll");
    m_module.WriteIni(L"[SMPPluginsCfg]\r\nfile32_url=" + server.Url(L"/catalogue.xml") + L"\r\nfile64_url=" +
                      server.Url(L"/catalogue.xml") + L"\r\n");
    m_module.WriteOwnCatalogue(L"<Product GUID='old' name='old' productType='2'/>");
    const std::wstring catalogue = m_module.ProductCfg(StagedModule::OwnCatalogueName());
    const UniqueFile scanner(CreateFileW(catalogue.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(m_module.Load());
    ObjectHolder object(m_module.NewRegisteredObject());
    object->HandleRequest(Request(L"QUERY", L"1").c_str());
    size_t saved = 0;
    for (const std::wstring& line : LogFileLines(DebugLogPath())) {
        const std::wstring message = MessageOf(line);
        saved += message.rfind(L"download not saved to " + catalogue + L": ", 0) == 0;
    }
    EXPECT_EQ(1u, saved);
    EXPECT_EQ(1u, Count(LogFileLines(DebugLogPath()), L"SMBPlugins.xml下载失败"));
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // The in-process log reads its switch once, on first use: on for the run.
    const DebugLogSwitchedOn run;
    return RUN_ALL_TESTS();
}
