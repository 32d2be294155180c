// The shipped program, started as a scheduled task would start it.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "TestSupport.h"
#include "machine/modCallExternalApp.h"
#include "runtime/Handles.h"

namespace {

// Runs a copy of the program folder the build lays out, so that the run's
// logs and language choice stay in a scratch folder of this test. Safe on a
// real server too: "net" and "kill.exe" beside the copy are harmless
// stand-ins that the program finds before the real ones (its own folder is
// searched first), reboot.bat only exits, and the event source registration
// the program writes is put back as it was.
class Program {
public:
    explicit Program(const std::wstring& arguments) {
        for (const wchar_t* file : {L"OrvaneScheduledRestart.exe", L"OrvaneScheduledRestart_DEU.dll"}) {
            ::CopyFileW(test::ProgramFile(file).c_str(), folder_.File(file).c_str(), FALSE);
        }
        for (const wchar_t* standIn : {L"net.exe", L"kill.exe"}) {
            ::CopyFileW(test::ChildProc().c_str(), folder_.File(standIn).c_str(), FALSE);
        }
        test::WriteBytes(folder_.File(L"reboot.bat"), "@exit /b 0\r\n");
        pid_ = static_cast<DWORD>(
            StartCommand(L"\"" + folder_.File(L"OrvaneScheduledRestart.exe") + L"\" " + arguments, vbNormalFocus));
        process_.reset(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid_));
    }
    ~Program() {
        if (!process_) return;
        ::TerminateProcess(process_.get(), 99);
        ::WaitForSingleObject(process_.get(), 5000);
    }
    bool Started() const { return static_cast<bool>(process_); }
    // The visible top-level window with this caption, once it shows.
    HWND WaitForVisible(const std::wstring& caption) const {
        HWND found = nullptr;
        test::WaitUntil([&] { return (found = Visible(caption)) != nullptr; }, std::chrono::milliseconds(15000));
        return found;
    }
    HWND Visible(const std::wstring& caption) const { return test::FindWindowOf(caption, pid_); }
    bool EndsWithin(DWORD ms, DWORD* code) const {
        return ::WaitForSingleObject(process_.get(), ms) == WAIT_OBJECT_0 && ::GetExitCodeProcess(process_.get(), code);
    }

private:
    test::Turn turn_{test::kProgramRuns};  // first: the run ends before the turn does
    test::EventSourceGuard eventSource_;
    test::ScratchDir folder_;
    rt::UniqueHandle process_;
    DWORD pid_ = 0;
};

constexpr wchar_t kRestart[] = L"Restart System";
constexpr wchar_t kConfigure[] = L"Configure Scheduled Restart Options";

// The program asks for administrator rights; without them it cannot start.
#define SKIP_UNLESS_ADMINISTRATOR() \
    if (!::IsUserAnAdmin()) GTEST_SKIP() << "needs administrator rights"

// Each line opens one face, never the other; closing it ends the program at
// once, a restart run with the user's cancel (1) for Task Scheduler.
TEST(StartupFace, TheLineChoosesTheFaceAndClosingItEndsTheProgram) {
    SKIP_UNLESS_ADMINISTRATOR();
    const struct {
        const wchar_t* args;
        const wchar_t* face;
        DWORD exitCode;
    } cases[] = {
        {L"/Restart", kRestart, 1}, {L"xx/restartyy /Bounce:PmSyncSvr", kRestart, 1},
        // Through the configuration window's load, which is never seen.
        {L"/Reboot", kRestart, 1},  {L"/Bounce:PmSpeechSvr", kRestart, 1},
        {L"", kConfigure, 0},       {L"/Rebooot", kConfigure, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.args)));
        Program p(c.args);
        ASSERT_TRUE(p.Started());
        HWND w = p.WaitForVisible(c.face);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(p.Visible(c.face == kRestart ? kConfigure : kRestart), nullptr);
        ::PostMessageW(w, WM_CLOSE, 0, 0);
        DWORD code = 1234;
        EXPECT_TRUE(p.EndsWithin(5000, &code));
        EXPECT_EQ(code, c.exitCode);
    }
}

// For a German user (a German Windows); skipped otherwise: Wine takes the user's
// language from LC_ALL for its regional formats only.
TEST(GermanUser, ConfigurationFaceSpeaksGermanRestartFaceStaysEnglish) {
    if (PRIMARYLANGID(::GetUserDefaultLangID()) != LANG_GERMAN) GTEST_SKIP() << "needs a German user";
    SKIP_UNLESS_ADMINISTRATOR();
    {
        Program p(L"");
        EXPECT_NE(p.WaitForVisible(L"Optionen f\u00FCr den geplanten Neustart festlegen"), nullptr);
    }
    {
        Program p(L"/Restart");
        HWND w = p.WaitForVisible(kRestart);
        ASSERT_NE(w, nullptr) << "no library is loaded on the direct restart path";
        wchar_t text[128] = {};
        ::GetWindowTextW(::FindWindowExW(w, nullptr, L"Button", nullptr), text, 128);
        EXPECT_STREQ(text, L"Cancel Action");
    }
    {
        Program p(L"/Reboot");
        EXPECT_NE(p.WaitForVisible(L"System neu starten"), nullptr) << "loaded by the configuration window";
    }
}

// One run at a time on the whole server: a second copy of the program, in
// a folder of its own, is refused while the first counts down, and ends by
// itself with 2.
TEST(RunLock, OneRunAcrossTwoCopiesOfTheProgram) {
    Program first(L"/Restart");
    ASSERT_NE(first.WaitForVisible(kRestart), nullptr);
    Program second(L"/Restart");
    DWORD code = 0;
    EXPECT_TRUE(second.EndsWithin(20000, &code));
    EXPECT_EQ(code, 2u);
    EXPECT_FALSE(first.EndsWithin(0, &code)) << "the first counts on";
}

}  // namespace
