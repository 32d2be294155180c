// Dates in the user's regional form.
#pragma once

#include <windows.h>

#include <string>

namespace rt {

// The general date-time form: short date, a blank, long time; at exactly
// midnight the date alone.
std::wstring FormatGeneralDate(const SYSTEMTIME& when, LCID locale = LOCALE_USER_DEFAULT);
std::wstring Now();

}  // namespace rt
