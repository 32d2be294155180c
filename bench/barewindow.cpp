// The baseline for the start-up figure: a bare Win32 program that registers
// a class, creates one window and shows it, nothing else. Built twice: plain,
// and (BARE_THEMED) with the program's comctl32 6 manifest and the common
// controls initialised as the program does, the floor every themed Win32
// program pays. A third build (BARE_CONTROLS) adds nine plain themed buttons
// of the configuration window's kinds: what nine controls cost under this
// host, whoever makes them.
#include <windows.h>
#ifdef BARE_THEMED
#include <commctrl.h>
#endif

namespace {
LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) ::PostQuitMessage(0);
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
#ifdef BARE_THEMED
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
#endif
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"BareWindow";
    ::RegisterClassW(&wc);
    HWND hwnd = ::CreateWindowW(L"BareWindow", L"Bare Window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 400,
                                300, nullptr, nullptr, instance, nullptr);
#ifdef BARE_CONTROLS
    const DWORD kinds[] = {BS_AUTORADIOBUTTON, BS_AUTORADIOBUTTON, BS_AUTORADIOBUTTON, BS_AUTOCHECKBOX, BS_AUTOCHECKBOX,
                           BS_AUTOCHECKBOX, BS_AUTOCHECKBOX, BS_PUSHBUTTON, BS_PUSHBUTTON};
    int top = 8;
    for (DWORD kind : kinds) {
        ::CreateWindowW(L"Button", L"Button", WS_CHILD | WS_VISIBLE | WS_TABSTOP | kind, 8, top, 200, 20, hwnd, nullptr,
                        instance, nullptr);
        top += 24;
    }
#endif
    ::ShowWindow(hwnd, show);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    return 0;
}
