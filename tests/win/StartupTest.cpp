// The shipped program, started as a scheduled task would start it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "runtime/App.h"

namespace {

struct TopWindow {
    HWND hwnd;
    std::wstring caption;
    bool visible;
};

std::vector<TopWindow> WindowsOf(DWORD pid) {
    struct Ctx {
        DWORD pid;
        std::vector<TopWindow> found;
    } ctx{pid, {}};
    ::EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(lp);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(h, &owner);
            if (owner != c->pid) return TRUE;
            wchar_t text[256] = {};
            ::GetWindowTextW(h, text, 256);
            c->found.push_back({h, text, ::IsWindowVisible(h) != FALSE});
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

// Runs a copy of the program folder the build lays out, so that the run's
// logs and language choice stay in a scratch folder of this test.
class Program {
public:
    explicit Program(const std::wstring& arguments) {
        const std::wstring from = rt::JoinPath(rt::App().path, L"..\\program\\");
        for (const wchar_t* file : {L"OrvaneScheduledRestart.exe", L"OrvaneScheduledRestart_DEU.dll"}) {
            ::CopyFileW((from + file).c_str(), folder_.File(file).c_str(), FALSE);
        }
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
                for (const auto& w : WindowsOf(pi_.dwProcessId)) {
                    if (w.visible && w.caption == caption) found = w.hwnd;
                }
                return found != nullptr;
            },
            std::chrono::milliseconds(15000));
        return found;
    }
    std::vector<std::wstring> VisibleCaptions() const {
        std::vector<std::wstring> out;
        for (const auto& w : WindowsOf(pi_.dwProcessId)) {
            if (w.visible) out.push_back(w.caption);
        }
        return out;
    }
    bool EndsWithin(DWORD ms, DWORD* code) const {
        if (::WaitForSingleObject(pi_.hProcess, ms) != WAIT_OBJECT_0) return false;
        ::GetExitCodeProcess(pi_.hProcess, code);
        return true;
    }

private:
    test::ScratchDir folder_;
    PROCESS_INFORMATION pi_{};
    BOOL started_ = FALSE;
};

constexpr wchar_t kRestart[] = L"Restart System";
constexpr wchar_t kConfigure[] = L"Configure Scheduled Restart Options";

TEST(StartupFace, TheWordRestartOpensTheRestartWindowDirectly) {
    for (const wchar_t* args : {L"/Restart", L"/RESTART", L"xx/restartyy /Bounce:PmSyncSvr"}) {
        Program p(args);
        ASSERT_TRUE(p.Started());
        EXPECT_NE(p.WaitForVisible(kRestart), nullptr) << "args: " << testing::PrintToString(std::wstring(args));
        for (const auto& caption : p.VisibleCaptions()) EXPECT_NE(caption, kConfigure);
    }
}

TEST(StartupFace, AnActionLineOpensTheRestartWindowFromTheConfigurationLoad) {
    for (const wchar_t* args : {L"/Reboot", L"/Bounce:PmSpeechSvr", L"/Bounce"}) {
        Program p(args);
        ASSERT_TRUE(p.Started());
        EXPECT_NE(p.WaitForVisible(kRestart), nullptr);
        for (const auto& caption : p.VisibleCaptions()) EXPECT_NE(caption, kConfigure) << "never seen";
    }
}

TEST(StartupFace, NoActionShowsTheConfigurationWindowAndNoRestartWindow) {
    for (const wchar_t* args : {L"", L"/Rebooot", L"anything else"}) {
        Program p(args);
        ASSERT_TRUE(p.Started());
        EXPECT_NE(p.WaitForVisible(kConfigure), nullptr);
        for (const auto& caption : p.VisibleCaptions()) EXPECT_NE(caption, kRestart);
    }
}

TEST(StartupFace, ClosingEitherFaceEndsTheProgramAtOnce) {
    for (const auto& [args, caption] : {std::pair{L"/Restart", kRestart}, std::pair{L"", kConfigure},
                                        std::pair{L"/Reboot", kRestart}}) {
        Program p(args);
        HWND w = p.WaitForVisible(caption);
        ASSERT_NE(w, nullptr);
        ::PostMessageW(w, WM_CLOSE, 0, 0);
        DWORD code = 1234;
        EXPECT_TRUE(p.EndsWithin(5000, &code));
        EXPECT_EQ(code, 0u);
    }
}

}  // namespace

namespace {

// Run under a German locale by CTest (GermanUser.Faces); skipped otherwise.
TEST(GermanUser, ConfigurationFaceSpeaksGermanRestartFaceStaysEnglish) {
    if (PRIMARYLANGID(::GetUserDefaultLangID()) != LANG_GERMAN) GTEST_SKIP() << "needs a German user";
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
