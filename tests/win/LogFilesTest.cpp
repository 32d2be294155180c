#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "hostenv/OrvaneVersion.h"
#include "hostenv/WorkStationInfo.h"
#include "logging/modLogging.h"
#include "runtime/App.h"
#include "runtime/Dialogs.h"
#include "runtime/FileSystem.h"
#include "runtime/Text.h"

namespace {

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t pos; (pos = bytes.find("\r\n", start)) != std::string::npos; start = pos + 2) {
        lines.push_back(bytes.substr(start, pos - start));
    }
    return lines;
}

// Sets a file's last change to noon, local time, this many days ago.
void Age(const std::wstring& path, int days) {
    SYSTEMTIME local{};
    ::GetLocalTime(&local);
    local.wHour = 12;
    local.wMinute = local.wSecond = local.wMilliseconds = 0;
    SYSTEMTIME utc{};
    ::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc);
    FILETIME ft{};
    ::SystemTimeToFileTime(&utc, &ft);
    ULARGE_INTEGER v{};
    v.LowPart = ft.dwLowDateTime;
    v.HighPart = ft.dwHighDateTime;
    v.QuadPart -= static_cast<ULONGLONG>(days) * 24ull * 3600ull * 10000000ull;
    ft.dwLowDateTime = v.LowPart;
    ft.dwHighDateTime = v.HighPart;
    const DWORD attrs = ::GetFileAttributesW(path.c_str());
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE h = ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ::SetFileTime(h, nullptr, nullptr, &ft);
    ::CloseHandle(h);
    ::SetFileAttributesW(path.c_str(), attrs);
}

class LogFiles : public ::testing::Test {
protected:
    void SetUp() override {
        CloseLogFile();
        LogFilePath.clear();
        LogFileNumber = 0;
        ::GetLocalTime(&now_);
    }
    void TearDown() override {
        CloseLogFile();
        LogFilePath.clear();
        LogFileNumber = 0;
    }
    std::wstring Logs() const { return dir_.File(L"logs"); }
    test::ScratchDir dir_;
    SYSTEMTIME now_{};
};

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
        wchar_t expectedName[80];
        swprintf(expectedName, 80, L"OrvaneScheduledRestart_Log_%02d%02d%02d_%02d_%02d_%02d.TXT", now_.wYear % 100,
                 now_.wMonth, now_.wDay, now_.wHour, now_.wMinute, now_.wSecond);
        EXPECT_EQ(path, logs + L"\\" + expectedName);
        const WorkStationInfo station(c.platform);
        OpenLogFile(path, station);
        WriteLogLine(L"Starting the service shut down sequence", true);
        CloseLogFile();
        EXPECT_EQ(rt::gFileSystem().Files(logs).size(), 1u);
        const auto lines = Lines(test::ReadBytes(path));
        ASSERT_EQ(lines.size(), 10u);
        const rt::AppInfo& app = rt::App();
        EXPECT_EQ(lines[0], std::string(64, '='));
        EXPECT_EQ(lines[1], "Running " + rt::ToAnsi(app.exeName) + ", version " + std::to_string(app.major) + "." +
                                std::to_string(app.minor) + "." + std::to_string(app.revision));
        EXPECT_EQ(lines[3], c.versionLine);
        // No records give a lone backslash.
        EXPECT_EQ(lines[4], "Running under domain account: " + rt::ToAnsi(station.Domain()) + "\\" +
                                rt::ToAnsi(station.UserName()));
        EXPECT_EQ(station.UserName().empty(), c.platform == 1);
        EXPECT_EQ(lines[2] + lines[5] + lines[8], "");
        EXPECT_EQ(lines[6].rfind("Local time=", 0), 0u);
        EXPECT_EQ(lines[7], lines[0]);
        EXPECT_NE(lines[9].find(": Starting the service shut down sequence"), std::string::npos);
    }
    InstalledVersion = {};
}

TEST_F(LogFiles, TwoRunsInTheSameSecondKeepBothLogs) {
    const WorkStationInfo station(1);
    const std::wstring first = GenerateNewLogFileNameIn(Logs(), L"OrvaneScheduledRestart", now_);
    OpenLogFile(first, station);
    WriteLogLine(L"first run", false);
    CloseLogFile();
    const std::wstring second = GenerateNewLogFileNameIn(Logs(), L"OrvaneScheduledRestart", now_);
    EXPECT_NE(second, first);
    EXPECT_EQ(second.substr(second.size() - 6), L"_2.TXT");
    OpenLogFile(second, station);
    WriteLogLine(L"second run", false);
    CloseLogFile();
    EXPECT_NE(test::ReadBytes(first).find("first run"), std::string::npos);
    EXPECT_EQ(test::ReadBytes(first).find("second run"), std::string::npos);
    EXPECT_NE(test::ReadBytes(second).find("second run"), std::string::npos);

    // A run that raced to the same name between naming and opening takes the next one.
    OpenLogFile(first, station);
    EXPECT_NE(LogFilePath, first);
    EXPECT_NE(LogFilePath, second);
    WriteLogLine(L"third run", false);
    EXPECT_EQ(test::ReadBytes(first).find("third run"), std::string::npos);
    EXPECT_NE(test::ReadBytes(LogFilePath).find("third run"), std::string::npos);
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
    test::Answers answer({{rt::kProgramTitle, [&](HWND box) {
        shown = test::DialogText(box);
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    }}});
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

TEST(WorkStation, RealRecordsAreReadOnceAndKeptUntilRefresh) {
    WorkStationInfo& info = TheWorkStationInfo();
    EXPECT_EQ(&info, &TheWorkStationInfo());
    EXPECT_FALSE(info.ComputerName().empty());
    EXPECT_FALSE(info.Domain().empty());
    EXPECT_FALSE(info.UserName().empty());
    EXPECT_EQ(info.PlatformId(), 500) << "PLATFORM_ID_NT";
    const std::wstring user = info.UserName();
    info.Refresh();
    EXPECT_EQ(info.UserName(), user);
}

}  // namespace
