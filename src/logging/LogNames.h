// Run-log names and ages. Portable core.
#pragma once

#include <cstdint>
#include <string>

struct CivilTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// "yymmdd_hh_mm_ss" on the 24-hour clock.
std::string LogTimeStamp(const CivilTime& t);
// base + "_Log_" + stamp + ".TXT"; from the second run in the same second on,
// a counter stands before ".TXT" (…_22_31_16_2.TXT).
std::string LogFileName(const std::string& baseName, const CivilTime& t, int counter);
// Days between two calendar dates, ignoring the time of day.
std::int64_t CalendarDaysBetween(const CivilTime& from, const CivilTime& to);
// Logs more than this many calendar days old are purged.
inline constexpr long kLogKeepDays = 30;

// A run log directly inside the folder: the folder (any letter case) and one
// more name that ends in ".TXT", with no further folder, drive or "..". A
// recorded path that is not one is never written to.
bool IsRunLogIn(const std::string& path, const std::string& folder);
