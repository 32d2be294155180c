// Conversions between the program's wide strings, UTF-8 and the ANSI code page.
#pragma once

#include <string>
#include <string_view>

namespace rt {

std::wstring FromUtf8(std::string_view utf8);
std::string ToUtf8(std::wstring_view wide);
// The system's ANSI code page, as the log file and the A-form calls expect.
std::string ToAnsi(std::wstring_view wide);
std::wstring FromAnsi(std::string_view ansi);
// The system's text for a Win32 error code, without the trailing line break.
std::wstring SystemErrorText(unsigned long code);

}  // namespace rt
