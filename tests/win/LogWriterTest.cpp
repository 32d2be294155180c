#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "logging/modLogging.h"
#include "runtime/DateTime.h"
#include "runtime/Dialogs.h"
#include "core/ActionValues.h"
#include "startup/Module1.h"
#include "runtime/Text.h"

namespace {

// Points the writer at a fresh file for each test and closes it afterwards.
class LogWriter : public ::testing::Test {
protected:
    void SetUp() override {
        CloseLogFile();
        LogFileNumber = 0;
        LogFilePath = dir_.File(L"run.TXT");
    }
    void TearDown() override {
        CloseLogFile();
        LogFileNumber = 0;
        LogFilePath.clear();
    }
    std::string Disk() const { return test::ReadBytes(LogFilePath); }
    test::ScratchDir dir_;
};

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t pos; (pos = bytes.find("\r\n", start)) != std::string::npos; start = pos + 2) {
        lines.push_back(bytes.substr(start, pos - start));
    }
    EXPECT_EQ(start, bytes.size()) << "every line ends in CR LF";
    return lines;
}

TEST_F(LogWriter, EachLineIsOnDiskBeforeTheCallReturns) {
    WriteLogLine(L"Starting the service shut down sequence", false);
    EXPECT_EQ(Disk(), "Starting the service shut down sequence\r\n");
    WriteLogLine(L" Stopping the WWW service", false);
    EXPECT_EQ(Disk(), "Starting the service shut down sequence\r\n Stopping the WWW service\r\n");
    EXPECT_NE(LogFileNumber, 0);
}

TEST_F(LogWriter, TimestampIsTheGeneralDateThenOneColonBlankThenTheTextUnchanged) {
    SYSTEMTIME before{};
    ::GetLocalTime(&before);
    WriteLogLine(L"    net stop process completed", true);
    WriteLogLine(L"", true);
    SYSTEMTIME after{};
    ::GetLocalTime(&after);
    const auto lines = Lines(Disk());
    ASSERT_EQ(lines.size(), 2u);
    const std::string stampBefore = rt::ToAnsi(rt::FormatGeneralDate(before));
    const std::string stampAfter = rt::ToAnsi(rt::FormatGeneralDate(after));
    const auto startsWithStamp = [&](const std::string& line, const std::string& rest) {
        return line == stampBefore + ": " + rest || line == stampAfter + ": " + rest;
    };
    EXPECT_TRUE(startsWithStamp(lines[0], "    net stop process completed")) << lines[0];
    EXPECT_TRUE(startsWithStamp(lines[1], "")) << lines[1];
    EXPECT_EQ(lines[0].find(": "), lines[0].rfind(": ")) << "exactly one ': '";
}

TEST_F(LogWriter, TextWithItsOwnLineBreakGivesAnEmptyLineAfterIt) {
    WriteLogLine(L"Header line\r\n", false);
    WriteLogLine(L"next", false);
    EXPECT_EQ(Disk(), "Header line\r\n\r\nnext\r\n");
}

TEST_F(LogWriter, TextIsWrittenInTheAnsiCodePageWithoutByteOrderMark) {
    const std::wstring text = L"Caf\x00e9 \x00fc";
    WriteLogLine(text, false);
    EXPECT_EQ(Disk(), rt::ToAnsi(text) + "\r\n");
    if (::GetACP() == 1252) {
        EXPECT_EQ(Disk(), "Caf\xe9 \xfc\r\n");
    }
    WriteLogLine(std::string_view("utf8 \xc3\xa9"), false);
    EXPECT_EQ(Lines(Disk()).back(), rt::ToAnsi(L"utf8 \x00e9"));
}

TEST_F(LogWriter, MissingFolderLosesLinesSilentlyAndRecoversOnceItExists) {
    const std::wstring folder = dir_.File(L"logs");
    LogFilePath = folder + L"\\run.TXT";
    WriteLogLine(L"lost one", true);
    WriteLogLine(L"lost two", false);
    EXPECT_FALSE(test::Exists(LogFilePath));
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    WriteLogLine(L"kept", false);
    EXPECT_EQ(Disk(), "kept\r\n");
}

TEST_F(LogWriter, UnopenablePathLosesLinesAndRecoversWhenItOpensAgain) {
    // A folder standing where the file should be cannot be opened, even by an
    // administrator (a read-only attribute would not stop root under Wine).
    WriteLogLine(L"first", false);
    CloseLogFile();
    ASSERT_TRUE(::DeleteFileW(LogFilePath.c_str()));
    ASSERT_TRUE(::CreateDirectoryW(LogFilePath.c_str(), nullptr));
    WriteLogLine(L"while blocked", true);
    ASSERT_TRUE(::RemoveDirectoryW(LogFilePath.c_str()));
    WriteLogLine(L"after", false);
    EXPECT_EQ(Disk(), "after\r\n");
}

TEST_F(LogWriter, EmptyPathWritesNothingAndNeverFails) {
    LogFilePath.clear();
    WriteLogLine(L"nowhere", true);
    FlushLogFile();
    CloseLogFile();
    CloseLogFile();
    EXPECT_EQ(LogFileNumber, 0);
}

TEST_F(LogWriter, LineWrittenAfterCloseIsNotLost) {
    WriteLogLine(L"before close", false);
    CloseLogFile();
    EXPECT_EQ(Disk(), "before close\r\n");
    WriteLogLine(L"(error) in restart timer: File not found number=53", false);
    EXPECT_EQ(Disk(), "before close\r\n(error) in restart timer: File not found number=53\r\n");
}

// A window whose handler writes log lines while the outer writer pumps events.
struct NestedWriter {
    static constexpr UINT kWrite = WM_APP + 1;
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        if (m == kWrite) {
            const int depth = static_cast<int>(w);
            if (depth < 3) ::PostMessageW(h, kWrite, static_cast<WPARAM>(depth + 1), 0);
            WriteLogLine(L"nested " + std::to_wstring(depth), false);
            return 0;
        }
        return ::DefWindowProcW(h, m, w, l);
    }
};

TEST_F(LogWriter, ReentrantCallsFromPumpedEventsCompleteInOrder) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &NestedWriter::Proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OrvNestedWriter";
    ::RegisterClassW(&wc);
    HWND w = ::CreateWindowW(L"OrvNestedWriter", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(w, nullptr);
    ::PostMessageW(w, NestedWriter::kWrite, 1, 0);
    WriteLogLine(L"outer", false);
    // The outer line was written first; each nested line followed it, complete.
    EXPECT_EQ(Disk(), "outer\r\nnested 1\r\nnested 2\r\nnested 3\r\n");
    WriteLogLine(L"last", false);
    EXPECT_EQ(Lines(Disk()).back(), "last");
    ::DestroyWindow(w);
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
    if (rt::DesktopIsVisible()) {
        EXPECT_GE(shown, 450u);
        EXPECT_LT(shown, 10000u);
    }
    const std::string text = Disk();
    EXPECT_NE(text.find(": (error) message box: (error):5 (Invalid procedure call) in procedure getVersion of Module "
                        "OrvaneVersion\r\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(TheRunOutcome.ExitCode(), kExitFailed);
    TheRunOutcome = {};
}

TEST(GeneralDate, ShortDateAndLongTimeOfTheGivenLocaleAndDateAloneAtMidnight) {
    SYSTEMTIME st{};
    st.wYear = 2026;
    st.wMonth = 3;
    st.wDay = 9;
    st.wHour = 14;
    st.wMinute = 5;
    st.wSecond = 7;
    const LCID us = MAKELCID(0x0409, SORT_DEFAULT), de = MAKELCID(0x0407, SORT_DEFAULT);
    EXPECT_EQ(rt::FormatGeneralDate(st, us), L"3/9/2026 2:05:07 PM");
    const std::wstring german = rt::FormatGeneralDate(st, de);
    EXPECT_TRUE(german == L"09.03.2026 14:05:07" || german == L"9.3.2026 14:05:07") << rt::ToUtf8(german);
    st.wHour = st.wMinute = st.wSecond = 0;
    EXPECT_EQ(rt::FormatGeneralDate(st, us), L"3/9/2026");
    st.wSecond = 1;
    EXPECT_EQ(rt::FormatGeneralDate(st, us), L"3/9/2026 12:00:01 AM");
}

// Run once as is and once under a German locale (see tests/CMakeLists.txt).
TEST(LogStamp, FollowsTheUsersRegionalSettings) {
    if (const char* expect = std::getenv("ORV_EXPECT_LCID")) {
        ASSERT_EQ(LANGIDFROMLCID(::GetUserDefaultLCID()), static_cast<LANGID>(std::atoi(expect)));
    }
    test::ScratchDir dir;
    LogFilePath = dir.File(L"stamp.TXT");
    SYSTEMTIME st{};
    ::GetLocalTime(&st);
    WriteLogLine(L"x", true);
    CloseLogFile();
    const std::string line = test::ReadBytes(LogFilePath);
    const LCID user = ::GetUserDefaultLCID();
    const bool german = PRIMARYLANGID(LANGIDFROMLCID(user)) == LANG_GERMAN;
    // The date's separator comes before the first blank; only English has AM/PM.
    if (german) {
        EXPECT_EQ(line.find("M: x"), std::string::npos) << line;
        EXPECT_LT(line.find('.'), line.find(' ')) << line;
    } else {
        EXPECT_NE(line.find("M: x"), std::string::npos) << line;
        EXPECT_LT(line.find('/'), line.find(' ')) << line;
    }
    LogFilePath.clear();
}

}  // namespace
