#include <gtest/gtest.h>

#include <windows.h>

#include "TestSupport.h"
#include "runtime/App.h"
#include "runtime/Dialogs.h"
#include "runtime/Forms.h"
#include "core/ProgramError.h"
#include "runtime/SystemApi.h"
#include "runtime/Text.h"

namespace {

TEST(Twips, FifteenToThePixelAt96DpiAndScaledWithTheDpi) {
    EXPECT_EQ(rt::TwipsToPixels(15, 96), 1);
    EXPECT_EQ(rt::TwipsToPixels(5430, 96), 362);
    EXPECT_EQ(rt::TwipsToPixels(2310, 96), 154);
    EXPECT_EQ(rt::TwipsToPixels(1440, 144), 144);
    EXPECT_EQ(rt::TwipsToPixels(5430, 192), 724);
    EXPECT_EQ(rt::TwipsToPixels(0, 120), 0);
}

// A small form with one of each control kind and a published operation.
class SampleForm : public rt::Form {
public:
    SampleForm() : rt::Form(L"frmSample", L"Sample", 5430, 2310) {
        Add(rt::ControlKind::Label, L"lblStatus", L"Status", {180, 360, 4695, 195});
        Add(rt::ControlKind::Button, L"cmdGo", L"Go", {1740, 1800, 2115, 435}).Click = [this] { ++clicks; };
        Add(rt::ControlKind::OptionButton, L"optA", L"A", {180, 600, 1200, 255}, true);
        Add(rt::ControlKind::OptionButton, L"optB", L"B", {180, 900, 1200, 255});
        Add(rt::ControlKind::CheckBox, L"chkX", L"X", {1500, 600, 1200, 255});
        Add(rt::ControlKind::ListBox, L"lstItems", L"", {3000, 600, 2000, 900}).DblClick = [this] { ++dblClicks; };
        Add(rt::ControlKind::MultiLineText, L"txtNotes", L"line", {3000, 1500, 2000, 255});
        Add(rt::ControlKind::Frame, L"Frame1", L"", {100, 500, 2800, 1200});
        Add(rt::ControlKind::Picture, L"picIcon", L"", {100, 1800, 480, 480});
        Publish(L"frmSample_Auto_Init", [this] { (*this)[L"lblStatus"].SetCaption(L"initialised"); });
    }
    int clicks = 0;
    int dblClicks = 0;
    int loads = 0;
    bool cancelUnload = false;
    int unloads = 0;

protected:
    void Form_Load() override { ++loads; }
    void Form_Unload(bool& cancel) override {
        ++unloads;
        cancel = cancelUnload;
    }
};

RECT ClientRectOf(HWND control) {
    RECT r{};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST(Forms, ControlsArePlacedFromTwipsAtTheWindowsDpi) {
    SampleForm f;
    f.Show();
    const unsigned dpi = rt::WindowDpi(f.Hwnd());
    RECT client{};
    ::GetClientRect(f.Hwnd(), &client);
    EXPECT_EQ(client.right, rt::TwipsToPixels(5430, dpi));
    EXPECT_EQ(client.bottom, rt::TwipsToPixels(2310, dpi));
    const RECT r = ClientRectOf(f[L"lblStatus"].Hwnd());
    EXPECT_EQ(r.left, rt::TwipsToPixels(180, dpi));
    EXPECT_EQ(r.top, rt::TwipsToPixels(360, dpi));
    EXPECT_EQ(r.right - r.left, rt::TwipsToPixels(4695, dpi));
    EXPECT_EQ(r.bottom - r.top, rt::TwipsToPixels(195, dpi));
    f.Unload();
}

TEST(Forms, LoadRunsOnceAndLoadedFormsKeepLoadOrder) {
    SampleForm a, b;
    const auto before = rt::LoadedForms().size();
    b.Load();
    a.Show();
    a.Show();
    EXPECT_EQ(a.loads, 1);
    ASSERT_EQ(rt::LoadedForms().size(), before + 2);
    EXPECT_EQ(rt::LoadedForms()[before], &b);
    EXPECT_EQ(rt::LoadedForms()[before + 1], &a);
    EXPECT_FALSE(b.IsVisible());
    EXPECT_TRUE(a.IsVisible());
    a.cancelUnload = true;
    ::SendMessageW(a.Hwnd(), WM_CLOSE, 0, 0);  // the close box
    EXPECT_EQ(a.unloads, 1);
    EXPECT_TRUE(a.IsLoaded());
    a.cancelUnload = false;
    a.Unload();
    EXPECT_FALSE(a.IsLoaded());
    ASSERT_EQ(rt::LoadedForms().size(), before + 1);
    EXPECT_EQ(rt::LoadedForms()[before], &b);
    b.Unload();
}

TEST(Forms, CaptionsValuesAndClicks) {
    SampleForm f;
    f.Show();
    f.SetCaption(L"Restart System");
    EXPECT_EQ(f.Caption(), L"Restart System");
    wchar_t title[64] = {};
    ::GetWindowTextW(f.Hwnd(), title, 64);
    EXPECT_STREQ(title, L"Restart System");
    f[L"lblStatus"].SetCaption(L"Shutting down Orvane in:");
    EXPECT_EQ(f[L"lblStatus"].Caption(), L"Shutting down Orvane in:");

    ::SendMessageW(f[L"cmdGo"].Hwnd(), BM_CLICK, 0, 0);
    EXPECT_EQ(f.clicks, 1);

    // Option buttons form one group: selecting one clears the other.
    f[L"optA"].SetValue(1);
    f[L"optB"].SetValue(1);
    EXPECT_EQ(f[L"optA"].Value(), 0);
    EXPECT_EQ(f[L"optB"].Value(), 1);
    ::SendMessageW(f[L"optA"].Hwnd(), BM_CLICK, 0, 0);
    EXPECT_EQ(f[L"optA"].Value(), 1);
    EXPECT_EQ(f[L"optB"].Value(), 0);

    f[L"chkX"].SetValue(1);
    EXPECT_EQ(f[L"chkX"].Value(), 1);
    f[L"chkX"].SetValue(2);
    EXPECT_EQ(f[L"chkX"].Value(), 2);
    f[L"chkX"].SetEnabled(false);
    EXPECT_FALSE(f[L"chkX"].Enabled());
    EXPECT_EQ(f[L"chkX"].Value(), 2) << "disabling keeps the tick";

    auto& list = f[L"lstItems"];
    list.AddItem(L"Nightly.job");
    list.AddItem(L"Weekly.job");
    EXPECT_EQ(list.ListCount(), 2);
    list.SetListIndex(1);
    EXPECT_EQ(list.ListIndex(), 1);
    EXPECT_EQ(list.ItemText(1), L"Weekly.job");
    ::SendMessageW(f.Hwnd(), WM_COMMAND, MAKEWPARAM(list.Id(), LBN_DBLCLK), reinterpret_cast<LPARAM>(list.Hwnd()));
    EXPECT_EQ(f.dblClicks, 1);
    list.ClearItems();
    EXPECT_EQ(list.ListCount(), 0);

    f[L"txtNotes"].SetCaption(L"one\r\ntwo");
    EXPECT_EQ(f[L"txtNotes"].Caption(), L"one\r\ntwo");
    EXPECT_THROW(f[L"noSuchControl"], ProgramError);
    f.Unload();
}

TEST(Forms, PublicOperationsAreCalledByName) {
    SampleForm f;
    f.Load();
    f.CallByName(L"frmSample_Auto_Init");
    EXPECT_EQ(f[L"lblStatus"].Caption(), L"initialised");
    EXPECT_TRUE(f.HasOperation(L"frmSample_Auto_Init"));
    try {
        f.CallByName(L"frmOther_Auto_Init");
        FAIL();
    } catch (const ProgramError& e) {
        EXPECT_EQ(e.Number(), 438);
    }
    f.Unload();
}

TEST(Forms, TimerTicksOnlyWhileEnabled) {
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
    rt::DoEvents();
    const int stopped = ticks;
    ::Sleep(200);
    rt::DoEvents();
    EXPECT_EQ(ticks, stopped);
    f.Unload();
}

TEST(Forms, ModalShowDisablesTheOthersAndReturnsWhenHidden) {
    SampleForm owner, modal;
    owner.Show();
    bool ownerEnabledDuringModal = true;
    int seen = 0;
    auto& timer = modal.AddTimer(L"Timer1", 50);
    timer.Tick = [&] {
        if (++seen < 3) return;
        ownerEnabledDuringModal = ::IsWindowEnabled(owner.Hwnd()) != FALSE;
        timer.SetEnabled(false);
        modal.Hide();
    };
    timer.SetEnabled(true);
    modal.Show(rt::ShowMode::Modal);
    EXPECT_GE(seen, 3);
    EXPECT_FALSE(ownerEnabledDuringModal);
    EXPECT_TRUE(::IsWindowEnabled(owner.Hwnd()));
    modal.Unload();
    owner.Unload();
}

TEST(Forms, DoEventsHandlesPendingMessagesAndReturns) {
    SampleForm f;
    f.Show();
    for (int i = 0; i < 5; ++i) ::PostMessageW(f[L"cmdGo"].Hwnd(), BM_CLICK, 0, 0);
    rt::DoEvents();
    EXPECT_EQ(f.clicks, 5);
    f.Unload();
}

TEST(Forms, MenusRunTheirHandlersAndTakeNewCaptions) {
    SampleForm f;
    int viewed = 0, exits = 0;
    f.SetMenuBar({{L"mnuFile", L"File", nullptr,
                   {{L"mnuViewLogDirectory", L"View log", [&] { ++viewed; }, {}},
                    {L"seperator2", L"-", nullptr, {}},
                    {L"mnuExit", L"Exit", [&] { ++exits; }, {}}}}});
    f.Show();
    HMENU bar = ::GetMenu(f.Hwnd());
    ASSERT_NE(bar, nullptr);
    HMENU file = ::GetSubMenu(bar, 0);
    ASSERT_EQ(::GetMenuItemCount(file), 3);
    ::SendMessageW(f.Hwnd(), WM_COMMAND, MAKEWPARAM(::GetMenuItemID(file, 2), 0), 0);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(viewed, 0);
    f.SetMenuCaption(L"mnuFile", L"Datei");
    f.SetMenuCaption(L"mnuViewLogDirectory", L"Protokoll anzeigen");
    bar = ::GetMenu(f.Hwnd());
    wchar_t text[64] = {};
    ::GetMenuStringW(bar, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"Datei");
    file = ::GetSubMenu(bar, 0);
    ::GetMenuStringW(file, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"Protokoll anzeigen");
    ::SendMessageW(f.Hwnd(), WM_COMMAND, MAKEWPARAM(::GetMenuItemID(file, 0), 0), 0);
    EXPECT_EQ(viewed, 1);
    EXPECT_EQ(f.MenuCaption(L"mnuExit"), L"Exit");
    f.Unload();
}

TEST(Forms, FontsBySetAndFaceAreAppliedAndShared) {
    SampleForm f;
    f.Show();
    auto& label = f[L"lblStatus"];
    label.SetFont(SHIFTJIS_CHARSET, L"MS UI Gothic");
    LOGFONTW lf{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(label.Hwnd(), WM_GETFONT, 0, 0)), sizeof lf, &lf);
    EXPECT_EQ(lf.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_STREQ(lf.lfFaceName, L"MS UI Gothic");
    const LONG jpHeight = lf.lfHeight;
    label.SetFont(ANSI_CHARSET, L"Arial");
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(label.Hwnd(), WM_GETFONT, 0, 0)), sizeof lf, &lf);
    EXPECT_EQ(lf.lfCharSet, ANSI_CHARSET);
    EXPECT_STREQ(lf.lfFaceName, L"Arial");
    EXPECT_EQ(lf.lfHeight, jpHeight) << "the size is kept across a switch";
    const std::size_t fonts = f.Fonts().Count();
    f[L"cmdGo"].SetFont(ANSI_CHARSET, L"Arial");
    EXPECT_EQ(f.Fonts().Count(), fonts) << "one font object per face, set and size";
    f.Unload();
}

TEST(Dialogs, MessageBoxCarriesTheProgramTitle) {
    std::wstring shown;
    test::DialogAnswerer answer(rt::kProgramTitle, [&](HWND box) {
        shown = test::DialogText(box);
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(rt::MsgBox(L"No logging activity has taken place..."), IDOK);
    EXPECT_NE(shown.find(L"No logging activity has taken place..."), std::wstring::npos);
}

TEST(Dialogs, InputBoxReturnsTheTextOnOkAndNothingOnCancel) {
    {
        test::DialogAnswerer answer(rt::kProgramTitle, [](HWND box) {
            HWND edit = ::FindWindowExW(box, nullptr, L"Edit", nullptr);
            ::SetWindowTextW(edit, L"Nightly restart");
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        EXPECT_EQ(rt::InputBox(L"Task name:", L"default"), L"Nightly restart");
    }
    {
        std::wstring prompt;
        test::DialogAnswerer answer(rt::kProgramTitle, [&](HWND box) {
            prompt = test::DialogText(box);
            ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_EQ(rt::InputBox(L"Task name:", L"default"), L"");
        EXPECT_NE(prompt.find(L"Task name:"), std::wstring::npos);
    }
}

TEST(App, KnowsItsFolderNameAndVersion) {
    const rt::AppInfo& app = rt::App();
    EXPECT_EQ(app.exeName, L"win_tests");
    EXPECT_TRUE(test::Exists(rt::JoinPath(app.path, L"win_tests.exe")));
    EXPECT_NE(app.path.back(), L'\\');
    EXPECT_EQ(app.major, ORV_TEST_VERSION_MAJOR);
    EXPECT_EQ(app.minor, ORV_TEST_VERSION_MINOR);
    EXPECT_EQ(app.revision, ORV_TEST_VERSION_REVISION);
    EXPECT_EQ(rt::JoinPath(L"C:\\", L"x.dll"), L"C:\\x.dll");
    EXPECT_EQ(rt::JoinPath(L"C:\\Tools", L"x.dll"), L"C:\\Tools\\x.dll");
}

}  // namespace

namespace {

// The program runs elevated: a DLL planted beside it must never be taken for
// a system library it loads at run time.
TEST(SystemLibraries, ComeFromTheSystemFolderEvenWithAPlantedCopyBesideTheProgram) {
    const std::wstring planted = rt::JoinPath(rt::App().path, L"mstask.dll");
    ASSERT_TRUE(::CopyFileW(rt::JoinPath(rt::App().path, L"testlang_empty27.dll").c_str(), planted.c_str(), FALSE));
    rt::UseSystemLibrariesOnly();
    HMODULE m = rt::SystemLibrary(L"mstask.dll");
    ::DeleteFileW(planted.c_str());
    ASSERT_NE(m, nullptr);
    wchar_t path[MAX_PATH] = {};
    wchar_t system[MAX_PATH] = {};
    ::GetModuleFileNameW(m, path, MAX_PATH);
    const UINT n = ::GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_EQ(::CompareStringOrdinal(path, static_cast<int>(n), system, static_cast<int>(n), TRUE), CSTR_EQUAL)
        << rt::ToUtf8(path);
    EXPECT_NE(rt::SystemFunction<void (*)()>(L"mstask.dll", "DllGetClassObject"), nullptr);
}

}  // namespace
