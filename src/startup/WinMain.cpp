#include <windows.h>
#include <commctrl.h>

#include "runtime/MessageLoop.h"
#include "runtime/SystemApi.h"
#include "startup/Module1.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // We run elevated: DLLs come from the system folder only.
    rt::UseSystemLibrariesOnly();
    // The controls are the standard ones, drawn by comctl32 6. COM and OLE
    // come when first used (rt::EnsureOle): the first paint needs neither.
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    Main();
    return rt::RunMessageLoop();
}
