#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "runtime/Forms.h"
#include "runtime/SystemApi.h"
#include "startup/Module1.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // We run elevated: DLLs come from the system folder only.
    rt::UseSystemLibrariesOnly();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    // The gateway control object is a COM component.
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Main();
    return rt::RunMessageLoop();
}
