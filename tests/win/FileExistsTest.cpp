#include <gtest/gtest.h>

#include <windows.h>

#include "TestSupport.h"
#include "process/ProgramEnd.h"

namespace {

TEST(FileExists, OnlyOrdinaryFilesCount) {
    test::ScratchDir dir;
    const std::wstring plain = dir.File(L"RestartHistory.Log");
    const std::wstring hidden = dir.File(L"hidden.Log");
    const std::wstring system = dir.File(L"system.Log");
    const std::wstring readOnly = dir.File(L"readonly.Log");
    for (const auto& f : {plain, hidden, system, readOnly}) test::WriteBytes(f, "x");
    ASSERT_TRUE(::SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(::SetFileAttributesW(system.c_str(), FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_TRUE(bFileExists(plain));
    EXPECT_TRUE(bFileExists(readOnly));
    EXPECT_FALSE(bFileExists(hidden));
    EXPECT_FALSE(bFileExists(system));
    EXPECT_FALSE(bFileExists(dir.Path()));
    EXPECT_FALSE(bFileExists(dir.File(L"missing.Log")));
    EXPECT_FALSE(bFileExists(L""));
}

TEST(FileExists, WildcardsAreTrueWhenAnOrdinaryFileMatches) {
    test::ScratchDir dir;
    test::WriteBytes(dir.File(L"a.hid"), "x");
    ASSERT_TRUE(::SetFileAttributesW(dir.File(L"a.hid").c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_FALSE(bFileExists(dir.File(L"*.hid")));
    test::WriteBytes(dir.File(L"b.hid"), "x");  // an ordinary one after the hidden one
    EXPECT_TRUE(bFileExists(dir.File(L"*.hid")));
    EXPECT_FALSE(bFileExists(dir.File(L"*.none")));
}

TEST(FileExists, UnreadyOrBogusPathsAreFalseWithoutABox) {
    // A drive letter with nothing behind it, a UNC path to nowhere, junk.
    EXPECT_FALSE(bFileExists(L"Q:\\nothing\\here.txt"));
    EXPECT_FALSE(bFileExists(L"\\\\no-such-host-4711\\share\\f.txt"));
    EXPECT_FALSE(bFileExists(L"<>|\x0001?"));
    EXPECT_FALSE(bFileExists(std::wstring(40000, L'a')));
}

}  // namespace
