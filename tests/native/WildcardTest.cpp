#include <gtest/gtest.h>

#include <string>

#include "Wildcard.h"

namespace {

TEST(KillPattern, StarsAndQuestionMarksIgnoringCase) {
    EXPECT_TRUE(PatternNamesImage(L"pm*.*", L"PmSyncSvr.exe"));
    EXPECT_TRUE(PatternNamesImage(L"pm*.*", L"PMNOTIFYSVR.EXE"));
    EXPECT_FALSE(PatternNamesImage(L"pm*.*", L"sqlservr.exe"));
    EXPECT_FALSE(PatternNamesImage(L"pm*.*", L"services.exe"));
    EXPECT_TRUE(PatternNamesImage(L"PmNotifySvr", L"PmNotifySvr.exe")) << "without the extension";
    EXPECT_TRUE(PatternNamesImage(L"pmnotifysvr.exe", L"PmNotifySvr.exe"));
    EXPECT_FALSE(PatternNamesImage(L"PmNotify", L"PmNotifySvr.exe")) << "whole names only";
    EXPECT_TRUE(PatternNamesImage(L"Pm?yncSvr", L"PmSyncSvr.exe"));
    EXPECT_FALSE(PatternNamesImage(L"Pm?SyncSvr", L"PmSyncSvr.exe"));
    EXPECT_TRUE(PatternNamesImage(L"*", L"anything.exe"));
    EXPECT_TRUE(PatternNamesImage(L"*svr*", L"PmSpeechSvr.exe"));
    EXPECT_FALSE(PatternNamesImage(L"", L"x.exe"));
    EXPECT_TRUE(WildcardMatch(L"", L""));
    EXPECT_TRUE(WildcardMatch(L"a*b*c", L"aXXbYYc"));
    EXPECT_FALSE(WildcardMatch(L"a*b*c", L"aXXbYY"));
}

TEST(KillPattern, PathologicalPatternsStayFast) {
    const std::wstring text(5000, L'a');
    EXPECT_FALSE(WildcardMatch(L"*a*a*a*a*a*a*a*b", text));
    EXPECT_TRUE(WildcardMatch(L"*a*a*a*a*a*a*a*a", text));
}

}  // namespace
