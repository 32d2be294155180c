// Message and input boxes, titled with the program's title.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace rt {

inline constexpr wchar_t kProgramTitle[] = L"Restart Tool";

// Returns the button pressed (IDOK, IDYES, ...), or 0 when no box could be
// shown (no desktop to show it on).
int MsgBox(std::wstring_view prompt, UINT buttons = MB_OK);

// Unattended runs (a scheduled restart at night): from this call on, every
// message box is first handed to the report (the run log, the event log),
// then shown for closeAfterMs at most and closed as if OK had been pressed.
// Where no desktop is visible (a task that runs whether or not a user is
// logged on) it is not shown at all and counts as OK at once. An empty
// report makes boxes ordinary again.
void MakeBoxesUnattended(std::function<void(const std::wstring&)> report, DWORD closeAfterMs);
// The process's window station is the interactive, visible one.
bool DesktopIsVisible();

// Win32 has no input box; this one has a prompt, an edit field and OK and
// Cancel, and is owned by the window that asks. Its button captions and its
// font (a face that has the language's characters) follow the user's
// language. Returns the text on OK and an empty string on Cancel.
struct InputBoxLook {
    std::wstring ok = L"OK";
    std::wstring cancel = L"Cancel";
    std::wstring fontFace;  // empty: the dialog font
    BYTE charset = DEFAULT_CHARSET;
};
std::wstring InputBox(std::wstring_view prompt, std::wstring_view defaultText, HWND owner,
                      const InputBoxLook& look = {});

}  // namespace rt
