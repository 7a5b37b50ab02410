// The process list and the ways to a process's path, each called directly:
// Wine opens every process, so the fallbacks for processes a standard user
// cannot open are tested on processes of our own.
#include <gtest/gtest.h>

#include <algorithm>

#include "detection/process_list.h"
#include "detection/process_namesakes.h"
#include "test_files.h"
#include "test_platform.h"
#include "test_process.h"

namespace {

bool SamePath(const std::wstring& left, const std::wstring& right) {
    return _wcsicmp(left.c_str(), right.c_str()) == 0;
}

std::wstring OwnImageName() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return wcsrchr(path, L'\\') + 1;
}

bool Listed(const std::vector<ListedProcess>& processes, uint32_t id, const std::wstring& image) {
    return std::any_of(processes.begin(), processes.end(),
                       [&](const ListedProcess& process) { return process.id == id && process.image == image; });
}

std::wstring CopyOfSleeper(const std::wstring& path) {
    CopyFileTo(ProgramFolder() + L"\\wareseek_sleeper.exe", path);
    return path;
}

// A copy of the sleeper under a name with capitals, running.
class ListedSleeper : public ::testing::Test {
protected:
    ListedSleeper()
        : m_image(L"WskList" + std::to_wstring(GetCurrentProcessId()) + L".Exe"),
          m_path(m_folder.Sub(m_image)),
          m_sleeper(CopyOfSleeper(m_path)) {}

    TempFolder m_folder;
    std::wstring m_image;
    std::wstring m_path;
    RunningProcess m_sleeper;
};

TEST_F(ListedSleeper, ListHoldsEveryProcessUnderItsFileName) {
    ASSERT_TRUE(m_sleeper.Started());
    std::vector<ListedProcess> processes;
    ASSERT_TRUE(ListRunningProcesses(processes));
    EXPECT_TRUE(Listed(processes, GetCurrentProcessId(), OwnImageName()));
    EXPECT_TRUE(Listed(processes, m_sleeper.Id(), m_image)) << "the letter case of the file is kept";
    EXPECT_TRUE(std::any_of(processes.begin(), processes.end(),
                            [](const ListedProcess& process) { return process.image == L"services.exe"; }));
}

TEST_F(ListedSleeper, EveryWayGivesTheExecutablesPath) {
    ASSERT_TRUE(m_sleeper.Started());
    const struct {
        const char* way;
        std::wstring (*read)(uint32_t);
    } ways[] = {
        {"module list", ModuleListPath}, {"image query", QueriedImagePath}, {"first that answers", MainExecutablePath}};
    for (const auto& way : ways) {
        EXPECT_TRUE(SamePath(m_path, way.read(m_sleeper.Id()))) << way.way << ": " << ToUtf8(way.read(m_sleeper.Id()));
    }
    EXPECT_EQ(L"", MainExecutablePath(0xFFFFFFF0u)) << "no such process";
}

TEST_F(ListedSleeper, OwnSessionHoldsThisProcessAndWhatItStarts) {
    ASSERT_TRUE(m_sleeper.Started());
    EXPECT_TRUE(InOwnSession(GetCurrentProcessId()));
    EXPECT_TRUE(InOwnSession(m_sleeper.Id()));
    EXPECT_FALSE(InOwnSession(0xFFFFFFF0u)) << "no such process";
}

// Wine 8 does not know this query; Windows answers it for every process.
TEST_F(ListedSleeper, ProcessListGivesThePathWithoutAHandle) {
    ASSERT_TRUE(m_sleeper.Started());
    std::wstring ntPath;
    const LONG status = ListedNtImagePath(m_sleeper.Id(), ntPath);
    if (status == static_cast<LONG>(0xC0000003)) {
        GTEST_SKIP() << "STATUS_INVALID_INFO_CLASS: no SystemProcessIdInformation here";
    }
    ASSERT_EQ(0, status);
    EXPECT_TRUE(SamePath(m_path, ListedImagePath(m_sleeper.Id()))) << ToUtf8(ntPath);
}

// Services run in session 0 and each signed-in user's programs in a session of
// their own: a host without administrator rights lists the others' processes
// too, with the paths the handle-less query gives.
TEST(OtherSessions, AreListedWithTheirPaths) {
    std::vector<ListedProcess> processes;
    ASSERT_TRUE(ListRunningProcesses(processes));
    std::vector<uint32_t> others;
    for (const ListedProcess& process : processes) {
        if (process.id != 0 && !InOwnSession(process.id)) others.push_back(process.id);
    }
    if (others.empty() && RunningUnderWine()) GTEST_SKIP() << "Wine runs every process in one session";
    ASSERT_FALSE(others.empty()) << "no process of another session listed (services run in session 0)";
    EXPECT_TRUE(std::any_of(others.begin(), others.end(), [](uint32_t id) { return !MainExecutablePath(id).empty(); }))
        << "none with its path";
}

TEST(DevicePaths, TakeTheDriveLetterThatMapsTheDevice) {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    const wchar_t drive[] = {windows[0], L':', L'\0'};
    wchar_t device[MAX_PATH] = {};
    ASSERT_NE(0u, QueryDosDeviceW(drive, device, MAX_PATH));
    const std::wstring volume = device;
    std::wstring lowerVolume = volume;
    for (wchar_t& c : lowerVolume) c = towlower(c);
    const std::wstring letter = drive;
    const struct {
        std::wstring device;
        std::wstring drive;
    } cases[] = {
        {volume + L"\\App 2.0\\app.exe", letter + L"\\App 2.0\\app.exe"},
        {lowerVolume + L"\\app.exe", letter + L"\\app.exe"},
        {volume + L"9\\app.exe", L""},  // another volume whose name starts alike
        {volume, L""},
        {L"\\Device\\NoSuchDevice\\app.exe", L""},
        {L"\\Device\\Mup\\server\\share\\app.exe", L"\\\\server\\share\\app.exe"},
        {L"\\??\\C:\\App\\app.exe", L"C:\\App\\app.exe"},  // the DOS-devices form, as Wine 10 gives it
        {L"\\??\\UNC\\server\\share\\app.exe", L"\\\\server\\share\\app.exe"},
        {L"\\??\\Volume{0}\\app.exe", L""},
        {volume + L"\\" + std::wstring(MAX_PATH - 3, L'a'), L""},  // over MAX_PATH with its drive
        {volume + L"\\" + std::wstring(MAX_PATH - 4, L'a'), letter + L"\\" + std::wstring(MAX_PATH - 4, L'a')},
    };
    for (const auto& c : cases) EXPECT_EQ(c.drive, DrivePathFromDevicePath(c.device)) << ToUtf8(c.device);
}

TEST(Namesakes, ReadablePathThenOwnSessionThenLaterInTheList) {
    const struct {
        std::vector<NamesakeProcess> namesakes;
        uint32_t preferred;
    } cases[] = {
        {{}, 0},
        {{{1, true, true}, {2, true, true}}, 2},
        {{{1, true, false}, {2, false, true}}, 1},
        {{{1, false, true}, {2, true, false}, {3, false, true}}, 2},
        {{{1, true, true}, {2, true, false}}, 1},
        {{{1, false, false}, {2, false, true}, {3, false, false}}, 2},
        {{{1, false, false}, {2, false, false}}, 2},
    };
    for (const auto& c : cases) EXPECT_EQ(c.preferred, PreferredNamesake(c.namesakes)) << "case " << &c - cases;
}

}  // namespace
