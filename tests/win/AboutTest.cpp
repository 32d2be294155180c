#include <gtest/gtest.h>

#include <windows.h>

#include <set>

#include "TestSupport.h"
#include "about/frmAbout.h"
#include "config/frmConfigure.h"
#include "localize/RestartResCONST.h"
#include "localize/modLocalize.h"
#include "runtime/App.h"
#include "runtime/Dialogs.h"
#include "runtime/Text.h"
#include "schedule/frmSchedule.h"

namespace {

using test::FontOf;

const wchar_t kGothic[] = L"\xFF2D\xFF33\x0020\xFF30\x30B4\x30B7\x30C3\x30AF";

std::wstring MenuText(HMENU menu, UINT position) {
    wchar_t text[256] = {};
    ::GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
    return text;
}

// ---- Help -------------------------------------------------------------------

// Records what would go to the default browser instead of starting one.
class RecordingDetails : public frmDetails {
public:
    using frmDetails::frmDetails;
    std::vector<std::wstring> opened;
    bool shellOpens = true;

protected:
    bool ShellOpen(const std::wstring& file, std::wstring& failure) override {
        opened.push_back(file);
        if (!shellOpens) failure = L"No browser.";
        return shellOpens;
    }
};

using Help = test::LanguageReset;

TEST_F(Help, TheLanguagePageOrElseTheNeutralOneReachesTheBrowser) {
    // A folder with a blank and a non-ASCII character, as under Program Files.
    const std::wstring folder = dir_.File(L"Hilfe \u00DCbersicht");
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring german = rt::JoinPath(folder, L"OrvaneScheduledRestart_DEU.htm");
    const std::wstring neutral = rt::JoinPath(folder, L"OrvaneScheduledRestart.htm");
    const std::wstring notOpened = mymyLoadString(IDS_HELP_NOT_OPENED) + L"\r\n";
    struct Case {
        std::int32_t language;
        const char* germanPage;  // nullptr: absent
        bool neutralPage, shellOpens;
        std::wstring opened, shown;  // opened empty: nothing can be opened
    } cases[] = {
        {1031, "<p>Hilfe</p>", true, true, german, mymyLoadString(IDS_HELP_IN_BROWSER) + L"\r\n" + german},
        {1031, "", true, true, neutral, mymyLoadString(IDS_HELP_IN_BROWSER) + L"\r\n" + neutral},  // empty
        {1031, nullptr, true, true, neutral, mymyLoadString(IDS_HELP_IN_BROWSER) + L"\r\n" + neutral},
        {1033, "<p>Hilfe</p>", true, true, neutral, mymyLoadString(IDS_HELP_IN_BROWSER) + L"\r\n" + neutral},
        // No default browser: the page's own text.
        {1033, nullptr, true, false, neutral, notOpened + neutral + L"\r\nNo browser.\r\n\r\nHelp\r\n\r\nStop & start"},
        {1031, nullptr, false, true, L"", notOpened + neutral + L"\r\n"},  // no page at all: and the reason
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.language << (c.germanPage ? c.germanPage : "-") << c.neutralPage);
        ::DeleteFileW(german.c_str());
        ::DeleteFileW(neutral.c_str());
        if (c.germanPage) test::WriteBytes(german, c.germanPage);
        if (c.neutralPage) test::WriteBytes(neutral, "<h1>Help</h1><p>Stop &amp; start</p>");
        gLanguageId = c.language;
        // The address a rendering browser gets: the plain path, or the neutral page as a file address.
        const HelpPage page = ChooseHelpPage(folder, strLanguageCodeFromId(c.language));
        EXPECT_EQ(page.address, c.opened == german ? german : L"file://" + neutral);
        RecordingDetails details(folder);
        details.shellOpens = c.shellOpens;
        details.Show();
        const std::wstring shown = details[L"txtHelp"].Caption();
        if (details.ShowsEmbedded()) {
            EXPECT_EQ(details.PageAddress(), page.address);
        } else {
            EXPECT_EQ(details.opened, c.opened.empty() ? std::vector<std::wstring>{} : std::vector{c.opened});
            EXPECT_EQ(c.opened.empty() ? shown.substr(0, c.shown.size()) : shown, c.shown);
        }
        EXPECT_EQ(details.Caption(), L"Orvane Scheduled Restart");
        details.Unload();
    }
}

// ---- About and the language switch --------------------------------------------

class About : public test::LanguageReset {
protected:
    // Chooses the menu entry for the language as a click on it would.
    static void Choose(frmAbout& about, std::int32_t language) {
        const auto& tags = about.LanguageTags();
        for (std::size_t i = 0; i < tags.size(); ++i) {
            if (std::wcstol(tags[i].c_str(), nullptr, 10) != language) continue;
            const UINT id = ::GetMenuItemID(about.MenuHandle(L"mnuSelectLanguage"), static_cast<int>(i));
            ::SendMessageW(about.Hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
            return;
        }
        ADD_FAILURE() << "no entry for " << language;
    }
};

TEST_F(About, TheMenuListsTheLibrariesFoundWithTheirTags) {
    struct Case {
        std::vector<const wchar_t*> codes;  // placed as copies of the German library
        std::multiset<std::int32_t> languages;  // empty: "No languages loaded"
    } cases[] = {
        {{}, {}}, {{L"DEU"}, {}}, {{L"DEU", L"ENU"}, {1031, 1033}},
        {{L"DEU", L"XYZ"}, {1031, 1033}},  // a code outside the table is 1033
        {{L"DEU", L"ENX"}, {1031, 33801}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codes.size());
        test::ScratchDir dir;
        for (const wchar_t* code : c.codes) {
            ASSERT_TRUE(::CopyFileW(test::ShippedLibrary(L"DEU").c_str(),
                                    dir.File(std::wstring(L"Tool_") + code + L".dll").c_str(), FALSE));
        }
        gLanguageId = 1033;
        frmAbout about(dir.Path(), L"Tool");
        about.Load();
        HMENU menu = about.MenuHandle(L"mnuSelectLanguage");
        ASSERT_NE(menu, nullptr);
        // In the folder's order: each entry's text and its tag; the languages found.
        std::vector<std::wstring> shown, expected = {L"No languages loaded|1033"};
        std::multiset<std::int32_t> found;
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            shown.push_back(MenuText(menu, static_cast<UINT>(i)) + L"|" + about.LanguageTags().at(static_cast<std::size_t>(i)));
        }
        for (std::size_t i = 0; !c.languages.empty() && i < gLanguageCodes.size(); ++i) {
            const std::int32_t language = LanguageIdFromCode(gLanguageCodes[i]);
            if (i == 0) expected.clear();
            expected.push_back(strLanguageNameFromId(language) + L"| " + std::to_wstring(language));
            found.insert(language);
        }
        EXPECT_EQ(shown, expected);
        EXPECT_EQ(found, c.languages);
        about.Unload();
    }
}

// Every control of every loaded form: the character set and face, and the font handles.
std::vector<WPARAM> ExpectFonts(BYTE charset, const wchar_t* face) {
    std::vector<WPARAM> handles;
    for (rt::Form* form : rt::LoadedForms()) {
        for (const auto& c : form->Controls()) {
            handles.push_back(::SendMessageW(c->Hwnd(), WM_GETFONT, 0, 0));
            if (c->Kind() == rt::ControlKind::Image) continue;  // no text, no font
            const LOGFONTW lf = FontOf(c->Hwnd());
            EXPECT_EQ(lf.lfCharSet, charset) << rt::ToUtf8(form->Name() + L"." + c->Name());
            EXPECT_STREQ(lf.lfFaceName, face) << rt::ToUtf8(form->Name() + L"." + c->Name());
        }
    }
    return handles;
}

TEST_F(About, TheSwitchReachesEveryLoadedWindowWithoutLeaking) {
    for (const wchar_t* code : {L"DEU", L"JPN"}) {
        const std::wstring copy = dir_.File(L"Tool_" + std::wstring(code) + L".dll");
        ASSERT_TRUE(::CopyFileW(test::ShippedLibrary(code).c_str(), copy.c_str(), FALSE));
    }
    gLanguageId = 1033;
    frmConfigure configure;
    configure.Show();
    frmSchedule schedule([&] { return configure.strConstructCommandLine(); });
    schedule.Load();
    frmAbout about(dir_.Path(), L"Tool");
    about.Show();
    about[L"cmdOK"].Click();  // hidden, still loaded: the switch reaches it too
    HMENU bar = ::GetMenu(configure.Hwnd()), popup = about.MenuHandle(L"mnuSelectLanguage");
    const UINT exitId = ::GetMenuItemID(::GetSubMenu(bar, 0), 3);

    Choose(about, 1031);
    ASSERT_EQ(gLanguageId, 1031);
    ASSERT_TRUE(gLanguageLibrary);
    EXPECT_EQ(configure.Caption(), L"Optionen f\u00FCr den geplanten Neustart festlegen");
    EXPECT_EQ(MenuText(bar, 0), L"Datei");
    EXPECT_EQ(schedule.Caption(), mymyLoadString(IDS_SCHEDULER_CAPTION));
    std::wstring buttons;  // the new task's name prompt speaks it too
    test::Answers prompt({{rt::kProgramTitle, [&buttons](HWND box) {
                               buttons = rt::WindowText(::GetDlgItem(box, IDOK)) + L"|" + rt::WindowText(::GetDlgItem(box, IDCANCEL));
                               ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
                           }}});
    ::SendMessageW(schedule[L"cmdNew"].Hwnd(), BM_CLICK, 0, 0);
    EXPECT_EQ((prompt.Done(), buttons), L"OK|Abbrechen");
    EXPECT_EQ(about[L"lblChangeLanguage"].Caption(), L"Sprache \u00E4ndern");
    ExpectFonts(1, L"");

    Choose(about, 1041);
    EXPECT_EQ(configure.Caption(), mymyLoadString(IDS_CONFIGURE_CAPTION));
    EXPECT_EQ(configure[L"cmdExit"].Caption(), L"\x7D42\x4E86");
    const std::vector<WPARAM> japanese = ExpectFonts(128, kGothic);
    EXPECT_TRUE(FontOf(about[L"lblChangeLanguage"].Hwnd()).lfUnderline) << "the link keeps its look";
    EXPECT_EQ(FontOf(about[L"lblVersionTitle"].Hwnd()).lfWeight, FW_BOLD);

    // Fifty more switches make no fonts, menus or menu ids.
    const auto fonts = [] {
        std::size_t n = 0;
        for (rt::Form* form : rt::LoadedForms()) n += form->Fonts().Count();
        return n;
    };
    const std::size_t fontsBefore = fonts();
    const DWORD gdiBefore = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    const DWORD userBefore = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    for (int i = 0; i < 50; ++i) Choose(about, i % 2 ? 1041 : 1031);  // ends with Japanese
    EXPECT_EQ(ExpectFonts(128, kGothic), japanese) << "the same fonts again, not new ones";
    EXPECT_EQ(fonts(), fontsBefore);
    EXPECT_LE(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS), gdiBefore);
    EXPECT_LE(::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS), userBefore);
    EXPECT_EQ(::GetMenu(configure.Hwnd()), bar);
    EXPECT_EQ(::GetMenuItemID(::GetSubMenu(bar, 0), 3), exitId);
    EXPECT_EQ(about.MenuHandle(L"mnuSelectLanguage"), popup);

    // A library gone since the menu was built: the built-in texts.
    gLanguageLibrary.reset();
    ASSERT_TRUE(::DeleteFileW(dir_.File(L"Tool_DEU.dll").c_str()));
    Choose(about, 1031);
    EXPECT_EQ(gLanguageId, 1031);
    EXPECT_FALSE(gLanguageLibrary);
    EXPECT_EQ(configure.Caption(), L"Configure Scheduled Restart Options");
}

}  // namespace
