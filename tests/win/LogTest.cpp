// The run log: the writer, the file naming and header, and the purge.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/ActionValues.h"
#include "hostenv/OrvaneVersion.h"
#include "hostenv/WorkStationInfo.h"
#include "logging/LogNames.h"
#include "logging/modLogging.h"
#include "runtime/App.h"
#include "runtime/DateTime.h"
#include "runtime/Dialogs.h"
#include "runtime/FileSystem.h"
#include "runtime/Forms.h"
#include "runtime/Handles.h"
#include "runtime/Text.h"
#include "machine/modCallExternalApp.h"
#include "startup/Module1.h"

namespace {

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t pos; (pos = bytes.find("\r\n", start)) != std::string::npos; start = pos + 2) {
        lines.push_back(bytes.substr(start, pos - start));
    }
    EXPECT_EQ(start, bytes.size()) << "every line ends in CR LF";
    return lines;
}

// Each test starts and ends with the log closed; the writer's tests write to run.TXT.
class LogWriter : public ::testing::Test {
protected:
    void SetUp() override {
        CloseLogFile();
        LogFileNumber = 0;
        LogFilePath = dir_.File(L"run.TXT");
        ::GetLocalTime(&now_);
    }
    void TearDown() override {
        CloseLogFile();
        LogFileNumber = 0;
        LogFilePath.clear();
    }
    std::string Disk() const { return test::ReadBytes(LogFilePath); }
    std::wstring Logs() const { return dir_.File(L"logs"); }
    test::ScratchDir dir_;
    SYSTEMTIME now_{};
};
using LogFiles = LogWriter;

// Sets a file's last change to noon, local time, this many days ago.
void Age(const std::wstring& path, int days) {
    SYSTEMTIME local{}, utc{};
    ::GetLocalTime(&local);
    local.wHour = 12;
    local.wMinute = local.wSecond = local.wMilliseconds = 0;
    ::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc);
    FILETIME ft{};
    ::SystemTimeToFileTime(&utc, &ft);
    const ULONGLONG t = (ULONGLONG{ft.dwHighDateTime} << 32 | ft.dwLowDateTime) - days * 864000000000ull;
    ft = {static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
    const DWORD attrs = ::GetFileAttributesW(path.c_str());
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    rt::UniqueHandle h(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    ASSERT_TRUE(h) << rt::ToUtf8(path);
    ASSERT_TRUE(::SetFileTime(h.get(), nullptr, nullptr, &ft)) << ::GetLastError();
    ::SetFileAttributesW(path.c_str(), attrs);
}

TEST_F(LogWriter, EachLineIsOnDiskInTheAnsiCodePageBeforeTheCallReturnsEvenAfterClose) {
    WriteLogLine(L"Header line\r\n", false);  // its own break: an empty line after it
    EXPECT_EQ(Disk(), "Header line\r\n\r\n");
    const std::wstring text = L"Caf\x00e9 \x00fc";
    WriteLogLine(text, false);
    EXPECT_EQ(Lines(Disk()).back(), rt::ToAnsi(text)) << "no byte-order mark, no UTF-8";
    if (::GetACP() == 1252) {
        EXPECT_EQ(Lines(Disk()).back(), "Caf\xe9 \xfc");
    }
    WriteLogLine(std::string_view("utf8 \xc3\xa9"), false);
    EXPECT_EQ(Lines(Disk()).back(), rt::ToAnsi(L"utf8 \x00e9"));
    CloseLogFile();
    WriteLogLine(L"(error) in restart timer: File not found number=53", false);
    EXPECT_EQ(Lines(Disk()).back(), "(error) in restart timer: File not found number=53") << "not lost after close";
}

// Lines that cannot be written (no folder, a folder in the file's place, no
// path) are lost silently, and writing recovers once the path takes them.
TEST_F(LogWriter, LinesThatCannotBeWrittenAreLostSilentlyAndWritingRecovers) {
    const std::wstring folder = dir_.File(L"logs"), blocked = dir_.File(L"blocked.TXT");
    const std::pair<std::wstring, std::function<void()>> cases[] = {
        {folder + L"\\run.TXT", [&] { ::CreateDirectoryW(folder.c_str(), nullptr); }},
        {blocked, [&] { ::RemoveDirectoryW(blocked.c_str()); }},
        {L"", [] {}},
    };
    ASSERT_TRUE(::CreateDirectoryW(blocked.c_str(), nullptr));
    for (const auto& [path, unblock] : cases) {
        CloseLogFile();
        LogFilePath = path;
        WriteLogLine(L"lost", true);
        FlushLogFile();
        CloseLogFile();
        unblock();
        WriteLogLine(L"kept", false);
        EXPECT_EQ(Disk(), path.empty() ? "" : "kept\r\n") << rt::ToUtf8(path);
    }
}

// A click handler that writes log lines while the outer writer pumps events.
TEST_F(LogWriter, ReentrantCallsFromPumpedEventsCompleteInOrder) {
    rt::Form form(L"frmNested", L"Nested", 2000, 1000);
    rt::Control& go = form.Add(rt::ControlKind::Button, L"cmdGo", L"Go", {0, 0, 1000, 400});
    int depth = 0;
    go.Click = [&] {
        if (++depth < 3) ::PostMessageW(go.Hwnd(), BM_CLICK, 0, 0);
        WriteLogLine(L"nested " + std::to_wstring(depth), false);
    };
    form.Show();
    ::PostMessageW(go.Hwnd(), BM_CLICK, 0, 0);
    WriteLogLine(L"outer", false);
    // The outer line was written first; each nested line followed it, complete.
    EXPECT_EQ(Disk(), "outer\r\nnested 1\r\nnested 2\r\nnested 3\r\n");
    form.Unload();
}

// A restart run at night: a box must not hold it. It closes itself as if OK
// were pressed, and its text reaches the run log (and error event 5).
TEST_F(LogWriter, UnattendedBoxesCloseThemselvesAndLeaveTheirTextInTheRunLog) {
    LogFileNumber = 1;
    TheRunOutcome = {};
    MakeRunUnattended(500);
    const ULONGLONG start = ::GetTickCount64();
    const int answer = rt::MsgBox(L"(error):5 (Invalid procedure call) in procedure getVersion of Module OrvaneVersion");
    const ULONGLONG shown = ::GetTickCount64() - start;
    rt::MakeBoxesUnattended({}, 0);
    EXPECT_EQ(answer, IDOK);
    EXPECT_TRUE(!rt::DesktopIsVisible() || (shown >= 450 && shown < 10000)) << shown << " ms";
    EXPECT_NE(Disk().find(": (error) message box: (error):5 (Invalid procedure call) in procedure getVersion of "
                          "Module OrvaneVersion\r\n"),
              std::string::npos)
        << Disk();
    EXPECT_EQ(TheRunOutcome.ExitCode(), kExitFailed);
    TheRunOutcome = {};
}

// Run once as is and once under a German locale (see tests/CMakeLists.txt).
// The stamp: the user's general date, one colon and blank, the text unchanged.
TEST_F(LogWriter, StampFollowsTheUsersRegionalSettings) {
    if (const char* expect = std::getenv("ORV_EXPECT_LCID")) {
        ASSERT_EQ(LANGIDFROMLCID(::GetUserDefaultLCID()), static_cast<LANGID>(std::atoi(expect)));
    }
    SYSTEMTIME before{}, after{};
    ::GetLocalTime(&before);
    WriteLogLine(L"    net stop process completed", true);
    ::GetLocalTime(&after);
    const std::string line = Lines(Disk()).back();
    EXPECT_TRUE(line == rt::ToAnsi(rt::FormatGeneralDate(before)) + ":     net stop process completed" ||
                line == rt::ToAnsi(rt::FormatGeneralDate(after)) + ":     net stop process completed")
        << line;
    // The date's separator comes before the first blank; only English has AM/PM.
    const bool german = PRIMARYLANGID(::GetUserDefaultLangID()) == LANG_GERMAN;
    EXPECT_EQ(line.find("M: ") == std::string::npos, german) << line;
    EXPECT_LT(line.find(german ? '.' : '/'), line.find(' ')) << line;
}

TEST_F(LogFiles, FirstRunMakesTheFolderAndOneFileWithTheHeader) {
    struct Case {
        int platform;  // 2: the workstation service answers; 1: no records at all
        VersionInfo version;
        const char* versionLine;
    } cases[] = {{2, DecodeVersion(0x00040000, 0x00010123), "Local Orvane version=4.0(1.291)"},
                 {1, DecodeVersion(0, 0), "Local Orvane version=0.0(0.0)"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.platform);
        test::ScratchDir dir;
        const std::wstring logs = dir.File(L"logs");
        InstalledVersion = c.version;
        const std::wstring path = GenerateNewLogFileNameIn(logs, L"OrvaneScheduledRestart", now_);
        EXPECT_EQ(LogFilePath, path);
        const CivilTime t{now_.wYear, now_.wMonth, now_.wDay, now_.wHour, now_.wMinute, now_.wSecond};
        EXPECT_EQ(path, logs + L"\\" + rt::FromUtf8(LogFileName("OrvaneScheduledRestart", t, 1)));
        const WorkStationInfo station(c.platform);
        OpenLogFile(path, station);
        WriteLogLine(L"Starting the service shut down sequence", true);
        CloseLogFile();
        EXPECT_EQ(rt::gFileSystem().Files(logs).size(), 1u);
        std::vector<std::string> lines = Lines(test::ReadBytes(path));
        ASSERT_EQ(lines.size(), 10u);
        EXPECT_EQ(lines[6].rfind("Local time=", 0), 0u);
        EXPECT_EQ(lines[7] + "|" + lines[8], std::string(64, '=') + "|");
        EXPECT_NE(lines[9].find(": Starting the service shut down sequence"), std::string::npos);
        lines.resize(6);
        const rt::AppInfo& app = rt::App();
        // No records give a lone backslash.
        EXPECT_EQ(lines, (std::vector<std::string>{
                             std::string(64, '='),
                             "Running " + rt::ToAnsi(app.exeName) + ", version " + std::to_string(app.major) + "." +
                                 std::to_string(app.minor) + "." + std::to_string(app.revision),
                             "", c.versionLine,
                             "Running under domain account: " + rt::ToAnsi(station.Domain()) + "\\" +
                                 rt::ToAnsi(station.UserName()),
                             ""}));
    }
    InstalledVersion = {};
}

// Two runs in the same second keep both logs; a run that raced to the same
// name between naming and opening takes the next one.
TEST_F(LogFiles, TwoRunsInTheSameSecondKeepBothLogs) {
    const WorkStationInfo station(1);
    const char* runs[] = {"first", "second", "third"};
    std::vector<std::wstring> paths;
    for (const char* run : runs) {
        const std::wstring named = paths.size() < 2 ? GenerateNewLogFileNameIn(Logs(), L"OrvaneScheduledRestart", now_)
                                                    : paths.front();
        OpenLogFile(named, station);
        WriteLogLine(std::string_view(run), false);
        CloseLogFile();
        paths.push_back(LogFilePath);
    }
    EXPECT_EQ(paths[1], paths[0].substr(0, paths[0].size() - 4) + L"_2.TXT");
    EXPECT_EQ(paths[2], paths[0].substr(0, paths[0].size() - 4) + L"_3.TXT");
    for (std::size_t i = 0; i < 3; ++i) {
        const std::vector<std::string> lines = Lines(test::ReadBytes(paths[i]));  // the header, then its line
        ASSERT_EQ(lines.size(), 10u) << i;
        EXPECT_EQ(lines.back(), runs[i]);
    }
}

TEST_F(LogFiles, PurgeRemovesFilesOlderThanThirtyCalendarDaysOnly) {
    ASSERT_TRUE(::CreateDirectoryW(Logs().c_str(), nullptr));
    const struct {
        const wchar_t* name;
        int days;
        bool kept;
    } files[] = {{L"Tool_Log_29.TXT", 29, true},  {L"Tool_Log_30.TXT", 30, true}, {L"Tool_Log_31.TXT", 31, false},
                 {L"by hand.doc", 400, false},     {L"readonly.TXT", 45, false},   {L"today.TXT", 0, true}};
    for (const auto& f : files) {
        const std::wstring path = Logs() + L"\\" + f.name;
        test::WriteBytes(path, "x");
        if (std::wstring(f.name) == L"readonly.TXT") ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
        Age(path, f.days);
    }
    const std::wstring sub = Logs() + L"\\old";
    ASSERT_TRUE(::CreateDirectoryW(sub.c_str(), nullptr));
    test::WriteBytes(sub + L"\\inside.TXT", "x");
    Age(sub + L"\\inside.TXT", 90);
    Age(sub, 90);

    PurgeOldLogFilesIn(Logs(), now_);
    for (const auto& f : files) {
        EXPECT_EQ(test::Exists(Logs() + L"\\" + f.name), f.kept) << rt::ToUtf8(f.name);
    }
    EXPECT_TRUE(test::Exists(sub + L"\\inside.TXT")) << "sub-folders are never visited";
    PurgeOldLogFilesIn(dir_.File(L"missing"), now_);  // no folder: nothing, no failure
}

TEST_F(LogFiles, ALogFolderThatCannotBeMadeIsReportedAndTheRunGoesOn) {
    test::WriteBytes(Logs(), "a file where the folder should be");
    std::wstring shown;
    test::Answers answer({test::ReadAndPress(rt::kProgramTitle, shown)});
    const std::wstring path = GenerateNewLogFileNameIn(Logs(), L"Tool", now_);
    EXPECT_FALSE(path.empty()) << "a path is still returned";
    EXPECT_EQ(shown.rfind(L"(error):", 0), 0u) << rt::ToUtf8(shown);
    EXPECT_NE(shown.find(L") in procedure GenerateNewLogFileName of Module Module1"), std::wstring::npos)
        << rt::ToUtf8(shown);
    // The writer loses the lines quietly and never shows anything.
    OpenLogFile(path, WorkStationInfo(1));
    WriteLogLine(L"lost", true);
    EXPECT_FALSE(test::Exists(path));
}

// A log folder that is a link or junction leads elsewhere: the purge leaves
// that folder alone. On Windows the test makes a junction; Wine makes none,
// so there CTest links the folder beforehand (Wine shows a Unix link as a
// reparse point) and names it in ORV_LINKED_FOLDER.
TEST_F(LogFiles, PurgeNeverFollowsALinkedLogFolder) {
    const char* prepared = std::getenv("ORV_LINKED_FOLDER");
    const std::wstring link = prepared ? rt::FromUtf8(prepared) : Logs();
    const std::wstring target = prepared ? link + L"\\..\\target" : dir_.File(L"target");
    if (!prepared && ::CreateDirectoryW(target.c_str(), nullptr)) {
        bWaitForProcess(StartCommand(L"cmd /c mklink /J \"" + link + L"\" \"" + target + L"\"", vbHide), 20000);
    }
    const DWORD attrs = ::GetFileAttributesW(link.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_REPARSE_POINT)) GTEST_SKIP() << "no junction here";
    const std::wstring old = target + L"\\Tool_Log_old.TXT";
    test::WriteBytes(old, "x");
    Age(old, 90);
    PurgeOldLogFilesIn(link, now_);
    EXPECT_TRUE(test::Exists(old));
    ::DeleteFileW(old.c_str());
}

}  // namespace
