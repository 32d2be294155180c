#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "runtime/MessageLoop.h"
#include "runtime/SystemApi.h"
#include "startup/Module1.h"

#if defined(__GLIBCXX__)
// An exception nobody caught ends the program as the Windows C++ runtime
// ends it: abort. The GNU runtime's default first writes the exception's
// demangled type to a standard error that a window or a scheduled run does
// not have, and brings its whole demangler (about 50 KiB) into the program.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
#endif

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
