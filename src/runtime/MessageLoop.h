// The event pump: pending messages, paint-only waits, the program's loop.
#pragma once

#include <windows.h>

namespace rt {

// Handles every pending window message once, then returns.
void DoEvents();
// Waits for the handle (null: for the time alone) while the program's windows
// stay painted and "responding": paint messages are handled at once, every
// other message (input among it) waits for the next DoEvents. A time-out of
// INFINITE waits without limit. True only when the handle was signalled.
bool WaitPaintingOnly(HANDLE handle, DWORD timeoutMs);

// Runs until the last loaded form is unloaded; returns the exit code.
int RunMessageLoop();

// One message through a form's own keys and the dialog manager, then on.
void DispatchOne(MSG& msg);

}  // namespace rt
