#include <gtest/gtest.h>

#include "logging/LogNames.h"

namespace {

TEST(LogNames, StampAndNameFollowThePattern) {
    const CivilTime t{2026, 12, 5, 22, 31, 16};
    EXPECT_EQ(LogTimeStamp(t), "261205_22_31_16");
    EXPECT_EQ(LogFileName("OrvaneScheduledRestart", t, 1), "OrvaneScheduledRestart_Log_261205_22_31_16.TXT");
    EXPECT_EQ(LogFileName("OrvaneScheduledRestart", t, 2), "OrvaneScheduledRestart_Log_261205_22_31_16_2.TXT");
    EXPECT_EQ(LogTimeStamp({2000, 1, 2, 3, 4, 5}), "000102_03_04_05");
    EXPECT_EQ(LogTimeStamp({2031, 10, 31, 0, 0, 0}), "311031_00_00_00");
}

TEST(LogNames, AgeCountsCalendarDatesNotHours) {
    const CivilTime today{2026, 12, 6, 0, 0, 1};
    EXPECT_EQ(CalendarDaysBetween({2026, 12, 5, 23, 59, 59}, today), 1);
    EXPECT_EQ(CalendarDaysBetween({2026, 11, 6, 23, 0, 0}, today), 30);
    EXPECT_EQ(CalendarDaysBetween({2026, 11, 5, 0, 0, 0}, today), 31);
    EXPECT_EQ(CalendarDaysBetween({2025, 11, 1, 0, 0, 0}, today), 400);
    EXPECT_EQ(CalendarDaysBetween({2024, 2, 28, 0, 0, 0}, {2024, 3, 1, 0, 0, 0}), 2) << "leap day";
    EXPECT_EQ(CalendarDaysBetween({2027, 1, 1, 0, 0, 0}, today), -26) << "a date in the future";
}

}  // namespace
