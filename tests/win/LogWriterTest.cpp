#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <functional>
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
    // The stamp: the general date, one colon and blank, the text unchanged.
    SYSTEMTIME before{}, after{};
    ::GetLocalTime(&before);
    WriteLogLine(L"    net stop process completed", true);
    ::GetLocalTime(&after);
    const std::string line = Lines(Disk()).back();
    EXPECT_TRUE(line == rt::ToAnsi(rt::FormatGeneralDate(before)) + ":     net stop process completed" ||
                line == rt::ToAnsi(rt::FormatGeneralDate(after)) + ":     net stop process completed")
        << line;
}

TEST_F(LogWriter, LinesThatCannotBeWrittenAreLostSilentlyAndWritingRecovers) {
    const std::wstring folder = dir_.File(L"logs");
    struct Case {
        const char* what;
        std::wstring path;
        std::function<void()> block, unblock;
    } cases[] = {
        {"a missing folder", folder + L"\\run.TXT", [] {},
         [&] { ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr)); }},
        // A folder where the file should be: even an administrator cannot open it.
        {"an unopenable path", dir_.File(L"blocked.TXT"),
         [&] { ASSERT_TRUE(::CreateDirectoryW(dir_.File(L"blocked.TXT").c_str(), nullptr)); },
         [&] { ASSERT_TRUE(::RemoveDirectoryW(dir_.File(L"blocked.TXT").c_str())); }},
        {"no path at all", L"", [] {}, [] {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CloseLogFile();
        LogFilePath = c.path;
        c.block();
        WriteLogLine(L"lost", true);
        FlushLogFile();
        CloseLogFile();
        c.unblock();
        if (c.path.empty()) continue;
        WriteLogLine(L"kept", false);
        EXPECT_EQ(Disk(), "kept\r\n");
    }
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

TEST(GeneralDate, ShortDateAndLongTimeOfTheGivenLocaleAndTheDateAloneAtMidnight) {
    SYSTEMTIME noon{2026, 3, 0, 9, 14, 5, 7, 0}, midnight{2026, 3, 0, 9, 0, 0, 0, 0};
    const LCID us = MAKELCID(0x0409, SORT_DEFAULT);
    EXPECT_EQ(rt::FormatGeneralDate(noon, us), L"3/9/2026 2:05:07 PM");
    EXPECT_EQ(rt::FormatGeneralDate(midnight, us), L"3/9/2026");
    const std::wstring de = rt::FormatGeneralDate(noon, MAKELCID(0x0407, SORT_DEFAULT));
    EXPECT_TRUE(de == L"09.03.2026 14:05:07" || de == L"9.3.2026 14:05:07") << rt::ToUtf8(de);
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
