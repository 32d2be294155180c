#include <gtest/gtest.h>

#include "localize/LanguageTables.h"

namespace {

TEST(LanguageCodes, ExactCodesMapToTheirIdentifiersAndAnythingElseTo1033) {
    EXPECT_EQ(LanguageCodeCount(), 44u);
    // Case counts, there is no Korean row, and only whole codes.
    const std::pair<const char*, int> cases[] = {{"ENX", 33801}, {"ENU", 1033}, {"DEU", 1031}, {"ESU", 20490},
                                                 {"FRL", 5132},  {"JPN", 1041}, {"CHT", 1028}, {"ZHI", 4100},
                                                 {"deu", 1033},  {"KOR", 1033}, {"", 1033},    {"DEUX", 1033}};
    for (const auto& [code, id] : cases) EXPECT_EQ(LanguageIdFromCode(code), id) << code;
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
    const std::pair<int, int> charsets[] = {{1042, 129}, {1028, 136}, {1041, 128}, {2052, 134}, {0, 1},
                                            {1031, 1},   {1033, 1},   {3076, 1},   {4100, 1},   {33801, 1}, {-1, 1}};
    for (const auto& [language, charset] : charsets) {
        EXPECT_EQ(LanguageFontFor(language).charset, charset) << language;
        EXPECT_EQ(LanguageFontFor(language).face.empty(), charset == 1) << language;
    }
    EXPECT_EQ(LanguageFontFor(1042).face, L"\xAD74\xB9BC");
    EXPECT_EQ(LanguageFontFor(1041).face, L"\xFF2D\xFF33\x0020\xFF30\x30B4\x30B7\x30C3\x30AF");
}

}  // namespace
