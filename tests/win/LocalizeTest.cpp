#include <gtest/gtest.h>

#include <windows.h>

#include <set>

#include "TestSupport.h"
#include "localize/RestartResCONST.h"
#include "localize/modLocalize.h"
#include "runtime/App.h"
#include "runtime/Dialogs.h"
#include "runtime/Forms.h"
#include "runtime/Text.h"

namespace {

using test::ShippedLibrary;

class Localize : public test::LanguageReset {
protected:
    // Makes the library the folder's "Tool_<code>.dll" and loads the languages.
    void LoadAs(const std::wstring& library, const std::wstring& fileName) {
        gLanguageLibrary.reset();  // a held library's file cannot be replaced
        ASSERT_TRUE(::CopyFileW(library.c_str(), dir_.File(fileName).c_str(), FALSE)) << rt::ToUtf8(library);
        InitalizeLanguagesIn(dir_.Path(), L"Tool");
    }
};

// A library's text wins unless it is missing or empty there; long texts keep
// what a 1,200-character buffer holds.
TEST_F(Localize, LibraryTextsWinUnlessMissingOrEmpty) {
    std::wstring longText;
    for (int i = 0; i < 80; ++i) longText += L"0123456789ABCDE";
    const std::pair<const wchar_t*, std::wstring> cases[] = {{L"testlang_missing27.dll", L"Vorgang abbrechen"},
                                                             {L"testlang_empty27.dll", L"Abbrechen"},
                                                             {L"testlang_long5.dll", longText.substr(0, 1199)}};
    gLanguageId = 1031;
    for (const auto& [library, cancel] : cases) {
        LoadAs(rt::JoinPath(rt::App().path, library), L"Tool_DEU.dll");
        ASSERT_TRUE(gLanguageLibrary);
        EXPECT_EQ(mymyLoadString(IDS_CANCEL_ACTION), cancel) << rt::ToUtf8(library);
        EXPECT_EQ(mymyLoadString(IDS_OK), L"OK") << rt::ToUtf8(library);
    }
}

TEST_F(Localize, BrokenLibrariesFallBackToTheBuiltInTable) {
    gLanguageId = 1031;
    const std::string real = test::ReadBytes(ShippedLibrary(L"DEU"));
    ASSERT_GT(real.size(), 1000u);
    // Cut after its headers the loader may map it, but it has no strings.
    for (const std::string& bytes : {real.substr(0, 600), std::string("not a library at all"), std::string()}) {
        gLanguageLibrary.reset();
        test::WriteBytes(dir_.File(L"Tool_DEU.dll"), bytes);
        ASSERT_EQ(test::ReadBytes(dir_.File(L"Tool_DEU.dll")), bytes);
        InitalizeLanguagesIn(dir_.Path(), L"Tool");
        if (bytes.size() != 600) {
            EXPECT_FALSE(gLanguageLibrary) << bytes.size() << " bytes";
        }
        EXPECT_EQ(mymyLoadString(IDS_CANCEL_ACTION) + mymyLoadString(IDS_OK), L"Cancel ActionOK");
        EXPECT_EQ(gLanguageCodes, std::vector<std::wstring>{L"DEU"});
    }
}

TEST_F(Localize, DiscoveryCodesNamesAndTheLowerCaseLibraryOfAGermanUser) {
    for (const wchar_t* name : {L"Tool.exe", L"Tool_KOR.dll", L"Tool_ENX.dll", L"Tool_FRA.txt"}) {
        test::WriteBytes(dir_.File(name), "");
    }
    gLanguageId = 1031;
    LoadAs(ShippedLibrary(L"DEU"), L"Tool_deu.dll");
    EXPECT_TRUE(gLanguageLibrary) << "file names ignore case";
    EXPECT_EQ(std::set<std::wstring>(gLanguageCodes.begin(), gLanguageCodes.end()),
              (std::set<std::wstring>{L"KOR", L"ENX", L"deu"}));
    EXPECT_EQ(strLanguageCodeFromId(0x7F7F), L"ERR");
}

// The first run takes the user's language and a second keeps the one chosen;
// a Korean user with no library gets English texts and the Korean font on
// every loaded form.
TEST_F(Localize, FirstRunTakesTheUsersLanguageAndOneWithoutALibraryStillGetsItsFont) {
    InitalizeLanguagesIn(dir_.Path(), L"Tool");
    EXPECT_EQ(gLanguageId, static_cast<std::int16_t>(::GetUserDefaultLangID()));
    EXPECT_EQ(gLanguageCodes, std::vector<std::wstring>{L""});
    rt::Form form(L"frmTwo", L"Two", 3000, 1500);
    form.Add(rt::ControlKind::Label, L"lblA", L"A", {100, 100, 2000, 300});
    form.Show();
    gLanguageId = 1042;
    InitalizeLanguagesIn(dir_.Path(), L"Tool");
    const LOGFONTW lf = test::FontOf(form[L"lblA"].Hwnd());
    EXPECT_EQ(lf.lfCharSet, 129);
    EXPECT_STREQ(lf.lfFaceName, L"\xAD74\xB9BC");
    EXPECT_EQ(mymyLoadString(IDS_OK), L"OK");
    form.Unload();
}

}  // namespace
