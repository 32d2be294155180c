// The shipped program, started as a scheduled task would start it.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "runtime/App.h"

namespace {

// The visible top-level windows of a process, with their captions.
using Windows = std::pair<DWORD, std::vector<std::pair<HWND, std::wstring>>>;

BOOL CALLBACK CollectVisible(HWND h, LPARAM lp) {
    auto* found = reinterpret_cast<Windows*>(lp);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(h, &owner);
    wchar_t text[256] = {};
    ::GetWindowTextW(h, text, 256);
    if (owner == found->first && ::IsWindowVisible(h)) found->second.emplace_back(h, text);
    return TRUE;
}

std::vector<std::pair<HWND, std::wstring>> VisibleWindowsOf(DWORD pid) {
    Windows found{pid, {}};
    ::EnumWindows(&CollectVisible, reinterpret_cast<LPARAM>(&found));
    return found.second;
}

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
        const std::wstring exe = folder_.File(L"OrvaneScheduledRestart.exe");
        std::wstring line = L"\"" + exe + L"\" " + arguments;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        started_ = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_);
    }
    ~Program() {
        if (!started_) return;
        ::TerminateProcess(pi_.hProcess, 99);
        ::WaitForSingleObject(pi_.hProcess, 5000);
        ::CloseHandle(pi_.hThread);
        ::CloseHandle(pi_.hProcess);
    }
    bool Started() const { return started_ != FALSE; }
    // The visible top-level window with this caption, once it shows.
    HWND WaitForVisible(const std::wstring& caption) const {
        HWND found = nullptr;
        test::WaitUntil(
            [&] {
                for (const auto& [w, text] : VisibleWindowsOf(pi_.dwProcessId)) found = text == caption ? w : found;
                return found != nullptr;
            },
            std::chrono::milliseconds(15000));
        return found;
    }
    std::vector<std::pair<HWND, std::wstring>> Visible() const { return VisibleWindowsOf(pi_.dwProcessId); }
    bool EndsWithin(DWORD ms, DWORD* code) const {
        if (::WaitForSingleObject(pi_.hProcess, ms) != WAIT_OBJECT_0) return false;
        ::GetExitCodeProcess(pi_.hProcess, code);
        return true;
    }

private:
    test::EventSourceGuard eventSource_;
    test::ScratchDir folder_;
    PROCESS_INFORMATION pi_{};
    BOOL started_ = FALSE;
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
    struct Case {
        const wchar_t* args;
        const wchar_t* face;
        DWORD exitCode;
    } cases[] = {
        {L"/Restart", kRestart, 1},  {L"/RESTART", kRestart, 1}, {L"xx/restartyy /Bounce:PmSyncSvr", kRestart, 1},
        // Through the configuration window's load, which is never seen.
        {L"/Reboot", kRestart, 1},   {L"/Bounce:PmSpeechSvr", kRestart, 1}, {L"/Bounce", kRestart, 1},
        {L"", kConfigure, 0},        {L"/Rebooot", kConfigure, 0},          {L"anything else", kConfigure, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.args)));
        Program p(c.args);
        ASSERT_TRUE(p.Started());
        HWND w = p.WaitForVisible(c.face);
        ASSERT_NE(w, nullptr);
        const std::wstring other = c.face == kRestart ? kConfigure : kRestart;
        for (const auto& shown : p.Visible()) EXPECT_NE(shown.second, other);
        ::PostMessageW(w, WM_CLOSE, 0, 0);
        DWORD code = 1234;
        EXPECT_TRUE(p.EndsWithin(5000, &code));
        EXPECT_EQ(code, c.exitCode);
    }
}

}  // namespace

namespace {

// Run under a German locale by CTest (GermanUser.Faces); skipped otherwise.
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

}  // namespace
