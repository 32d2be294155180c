// Message and input boxes, titled with the program's title.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace rt {

inline constexpr wchar_t kProgramTitle[] = L"Restart Tool";

// Returns the button pressed (IDOK, IDYES, ...), or 0 when no box could be
// shown (no desktop to show it on).
int MsgBox(std::wstring_view prompt, UINT buttons = MB_OK);

// Win32 has no input box; this one has a prompt, an edit field and OK and
// Cancel. Returns the text on OK and an empty string on Cancel.
std::wstring InputBox(std::wstring_view prompt, std::wstring_view defaultText = {});

}  // namespace rt
