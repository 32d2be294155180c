#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "runtime/MessageLoop.h"
#include "runtime/SystemApi.h"
#include "startup/Module1.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // We run elevated: DLLs come from the system folder only.
    rt::UseSystemLibrariesOnly();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    // COM for the gateway control object and Task Scheduler; OLE for the
    // help page's browser control (keyboard, clipboard).
    ::OleInitialize(nullptr);
    Main();
    return rt::RunMessageLoop();
}
