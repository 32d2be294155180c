#include <gtest/gtest.h>

#include "localize/LanguageTables.h"

namespace {

TEST(LanguageCodes, ExactCodesMapToTheirIdentifiersAndAnythingElseTo1033) {
    EXPECT_EQ(LanguageCodeCount(), 44u);
    EXPECT_EQ(LanguageIdFromCode("ENX"), 33801);
    EXPECT_EQ(LanguageIdFromCode("ENU"), 1033);
    EXPECT_EQ(LanguageIdFromCode("DEU"), 1031);
    EXPECT_EQ(LanguageIdFromCode("ESU"), 20490);
    EXPECT_EQ(LanguageIdFromCode("FRL"), 5132);
    EXPECT_EQ(LanguageIdFromCode("JPN"), 1041);
    EXPECT_EQ(LanguageIdFromCode("CHT"), 1028);
    EXPECT_EQ(LanguageIdFromCode("ZHI"), 4100);
    EXPECT_EQ(LanguageIdFromCode("deu"), 1033) << "case counts";
    EXPECT_EQ(LanguageIdFromCode("KOR"), 1033) << "no Korean row";
    EXPECT_EQ(LanguageIdFromCode(""), 1033);
    EXPECT_EQ(LanguageIdFromCode("DEUX"), 1033);
}

TEST(LanguageCodes, LibraryFileNamesGiveTheirCodeAsWritten) {
    struct {
        const wchar_t* name;
        const wchar_t* code;  // empty: not a library of ours
    } cases[] = {{L"Tool_DEU.dll", L"DEU"}, {L"tool_JPN.DLL", L"JPN"}, {L"Tool_deu.dll", L"deu"},
                 {L"Tool_.dll", L"ol_"},    {L"Tool.exe", L""},        {L"Tool_FRA.txt", L""},
                 {L"Other_ITA.dll", L""},   {L"Toolbox_NLD.dll", L""}, {L"T.dll", L""}};
    for (const auto& c : cases) EXPECT_EQ(LanguageCodeOfFile(c.name, L"Tool"), c.code);
}

TEST(LanguageFonts, OnlyTheFourListedLanguagesGetASpecialFont) {
    EXPECT_EQ(LanguageFontFor(1042).charset, 129);
    EXPECT_EQ(LanguageFontFor(1042).face, L"\xAD74\xB9BC");
    EXPECT_EQ(LanguageFontFor(1028).charset, 136);
    EXPECT_EQ(LanguageFontFor(1041).charset, 128);
    EXPECT_EQ(LanguageFontFor(1041).face.size(), 8u);
    EXPECT_EQ(LanguageFontFor(1041).face[2], L' ');
    EXPECT_EQ(LanguageFontFor(2052).charset, 134);
    for (int other : {0, 1031, 1033, 3076, 4100, 33801, -1}) {
        EXPECT_EQ(LanguageFontFor(other).charset, 1) << other;
        EXPECT_TRUE(LanguageFontFor(other).face.empty()) << other;
    }
}

}  // namespace
