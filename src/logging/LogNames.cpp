#include "logging/LogNames.h"

#include <cstdio>

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date. In 64 bits: a time
// stamp of any value gives a number, never an overflow.
std::int64_t DaysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

std::string Two(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", ((v % 100) + 100) % 100);
    return buf;
}

}  // namespace

std::string LogTimeStamp(const CivilTime& t) {
    return Two(t.year) + Two(t.month) + Two(t.day) + "_" + Two(t.hour) + "_" + Two(t.minute) + "_" + Two(t.second);
}

std::string LogFileName(const std::string& baseName, const CivilTime& t, int counter) {
    std::string name = baseName + "_Log_" + LogTimeStamp(t);
    if (counter > 1) name.append("_").append(std::to_string(counter));
    return name + ".TXT";
}

std::int64_t CalendarDaysBetween(const CivilTime& from, const CivilTime& to) {
    return DaysFromCivil(to.year, to.month, to.day) - DaysFromCivil(from.year, from.month, from.day);
}

bool IsRunLogIn(const std::string& path, const std::string& folder) {
    const auto lower = [](std::string s) {
        for (char& c : s) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        return s;
    };
    std::string prefix = lower(folder);
    if (prefix.empty()) return false;
    if (prefix.back() != '\\') prefix += '\\';
    const std::string p = lower(path);
    if (p.size() <= prefix.size() + 4 || p.compare(0, prefix.size(), prefix) != 0) return false;
    const std::string name = p.substr(prefix.size());
    // No wildcard either: the recorded path must name one file, exactly.
    return name.find_first_of("\\/:*?<>|\"") == std::string::npos && name.find("..") == std::string::npos &&
           name.compare(name.size() - 4, 4, ".txt") == 0;
}
