#include <gtest/gtest.h>

#include <tuple>

#include <windows.h>

#include "TestSupport.h"
#include "core/ProgramError.h"
#include "runtime/App.h"
#include "runtime/Forms.h"
#include "runtime/SystemApi.h"
#include "runtime/Text.h"

namespace {

// A small form with the controls the windows use, and a published operation.
class SampleForm : public rt::Form {
public:
    SampleForm() : rt::Form(L"frmSample", L"Sample", 5430, 2310) {
        Add(rt::ControlKind::Label, L"lblStatus", L"Status", {180, 360, 4695, 195});
        Add(rt::ControlKind::Button, L"cmdGo", L"Go", {1740, 1800, 2115, 435}).Click = [this] { ++clicks; };
        Publish(L"frmSample_Auto_Init", [this] { (*this)[L"lblStatus"].SetCaption(L"initialised"); });
    }
    int clicks = 0, loads = 0, unloads = 0;
    bool cancelUnload = false;

protected:
    void Form_Load() override { ++loads; }
    void Form_Unload(bool& cancel) override {
        ++unloads;
        cancel = cancelUnload;
    }
};

TEST(Forms, LoadOnceInLoadOrderUnloadThatMayBeCancelledAndOperationsByName) {
    SampleForm a, b;
    const auto before = rt::LoadedForms().size();
    b.Load();
    a.Show();
    a.Show();
    ASSERT_EQ(rt::LoadedForms().size(), before + 2);
    EXPECT_EQ(std::tuple(a.loads, rt::LoadedForms()[before] == &b, b.IsVisible()), std::tuple(1, true, false));
    a.CallByName(L"frmSample_Auto_Init");
    EXPECT_EQ(a[L"lblStatus"].Caption(), L"initialised");
    EXPECT_THROW(a.CallByName(L"frmOther_Auto_Init"), ProgramError);
    EXPECT_THROW(a[L"noSuchControl"], ProgramError);
    for (int i = 0; i < 5; ++i) ::PostMessageW(a[L"cmdGo"].Hwnd(), BM_CLICK, 0, 0);
    rt::DoEvents();
    EXPECT_EQ(a.clicks, 5) << "DoEvents handles what is pending";
    a.cancelUnload = true;
    ::SendMessageW(a.Hwnd(), WM_CLOSE, 0, 0);  // the close box
    EXPECT_EQ(std::tuple(a.unloads, a.IsLoaded()), std::tuple(1, true));
    a.cancelUnload = false;
    a.Unload();
    EXPECT_EQ(std::tuple(a.IsLoaded(), rt::LoadedForms().size()), std::tuple(false, before + 1));
    b.Unload();
}

// A form is made in one go: its menu, its client size at the window's DPI,
// and what its controls were given before the window existed.
TEST(Forms, MadeWithItsMenuItsSizeAndItsControlsDesignState) {
    SampleForm f;
    f.SetMenuBar({{L"mnuFile", L"File", nullptr, {{L"mnuExit", L"Exit", nullptr, {}}}}});
    rt::Control& box = f.Add(rt::ControlKind::CheckBox, L"chkBox", L"Box", {180, 900, 2000, 255});
    box.SetValue(CheckState::Checked);
    box.SetEnabled(false);
    rt::Control& text = f.Add(rt::ControlKind::TextBox, L"txtName", L"design", {180, 1300, 2000, 300});
    f.Load();
    RECT client{};
    ::GetClientRect(f.Hwnd(), &client);
    const unsigned dpi = rt::WindowDpi(f.Hwnd());
    EXPECT_EQ(std::tuple(client.right, client.bottom, ::GetMenu(f.Hwnd()) != nullptr),
              std::tuple(rt::TwipsToPixels(5430, dpi), rt::TwipsToPixels(2310, dpi), true));
    EXPECT_EQ(std::tuple(::SendMessageW(box.Hwnd(), BM_GETCHECK, 0, 0), ::IsWindowEnabled(box.Hwnd())),
              std::tuple(LRESULT{BST_CHECKED}, FALSE));
    ::SetWindowTextW(text.Hwnd(), L"typed");  // as a user would
    text.SetCaption(L"design");
    EXPECT_EQ(text.Caption(), L"design");
    f.Unload();
}

TEST(Forms, TimerTicksOnlyWhileEnabledEvenWithATickAlreadyQueued) {
    SampleForm f;
    auto& timer = f.AddTimer(L"Timer1", 50);
    int ticks = 0;
    timer.Tick = [&] { ++ticks; };
    f.Show();
    ::Sleep(200);
    rt::DoEvents();
    EXPECT_EQ(ticks, 0) << "timers start disabled";
    timer.SetEnabled(true);
    EXPECT_TRUE(test::WaitUntil([&] { return ticks >= 3; }, std::chrono::milliseconds(3000)));
    timer.SetEnabled(false);
    const int stopped = ticks;
    // A tick queued before the timer was switched off (an action that
    // switches it off from inside a tick) must not run the handler again.
    for (WPARAM id = 0; id < 200; ++id) ::PostMessageW(f.Hwnd(), WM_TIMER, id, 0);  // whatever its id
    ::Sleep(200);
    rt::DoEvents();
    EXPECT_EQ(ticks, stopped);
    f.Unload();
}

// The program runs elevated: a DLL planted beside it must never be taken for
// a system library it loads at run time.
TEST(SystemLibraries, ComeFromTheSystemFolderEvenWithAPlantedCopyBesideTheProgram) {
    const std::wstring planted = rt::JoinPath(rt::App().path, L"mstask.dll");
    ASSERT_TRUE(::CopyFileW(rt::JoinPath(rt::App().path, L"testlang_empty27.dll").c_str(), planted.c_str(), FALSE));
    rt::UseSystemLibrariesOnly();
    HMODULE m = rt::SystemLibrary(L"mstask.dll");
    ::DeleteFileW(planted.c_str());
    wchar_t path[MAX_PATH] = {}, system[MAX_PATH] = {};
    ASSERT_NE(m, nullptr);
    ASSERT_GT(::GetModuleFileNameW(m, path, MAX_PATH), 0u);
    const UINT n = ::GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_EQ(::CompareStringOrdinal(path, static_cast<int>(n), system, static_cast<int>(n), TRUE), CSTR_EQUAL)
        << rt::ToUtf8(path);
}

}  // namespace
