#include "runtime/DateTime.h"

namespace rt {

std::wstring FormatGeneralDate(const SYSTEMTIME& when, LCID locale) {
    wchar_t date[128] = {};
    ::GetDateFormatW(locale, DATE_SHORTDATE, &when, nullptr, date, 128);
    if (when.wHour == 0 && when.wMinute == 0 && when.wSecond == 0) return date;
    wchar_t time[128] = {};
    ::GetTimeFormatW(locale, 0, &when, nullptr, time, 128);
    return std::wstring(date) + L" " + time;
}

std::wstring Now() {
    SYSTEMTIME st{};
    ::GetLocalTime(&st);
    return FormatGeneralDate(st);
}

}  // namespace rt
