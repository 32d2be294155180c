// The event pump: pending messages, paint-only waits, the program's loop.
#pragma once

#include <windows.h>

#include <functional>

namespace rt {

// A top-level window the pump serves: it may take its own keys before the
// dialog manager. The program's loop runs while one is open.
class MessageTarget {
public:
    virtual HWND Hwnd() const = 0;
    // True when the message was handled (a hosted control's own keys).
    virtual bool PreTranslateMessage(MSG& /*msg*/) { return false; }

protected:
    ~MessageTarget() = default;
};
void OpenTarget(MessageTarget& target);   // as its window is made
void CloseTarget(MessageTarget& target);  // as its window goes

// Handles every pending window message once, then returns.
void DoEvents();
// Waits for the handle (null: for the time alone) while the program's windows
// stay painted and "responding": paint messages are handled at once, every
// other message (input among it) waits for the next DoEvents. A time-out of
// INFINITE waits without limit. True only when the handle was signalled.
bool WaitPaintingOnly(HANDLE handle, DWORD timeoutMs);

// Runs until the last target is closed; returns the exit code.
int RunMessageLoop();
// A modal window's loop: runs while the window is shown. A WM_QUIT that
// ends it is posted again for the loop outside.
void RunModalLoop(const std::function<bool()>& shown);

// One message through its target's own keys and the dialog manager, then on.
void DispatchOne(MSG& msg);

}  // namespace rt
