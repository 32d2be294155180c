// sbtrace.exe: appends its arguments to the sandbox trace (used by the
// reboot.bat stand-in); "sbtrace.exe --sleep" keeps the prefix alive;
// "--lines N FILE TEXT" appends N numbered lines to FILE.
// PmTrayStatus.exe is the same program: started under that name it traces
// the tray program's start.
// "sbtrace.exe --click TITLE MS" clicks the first button of the window TITLE
// once it has been visible for MS milliseconds; "--close TITLE MS" closes it.
#include <windows.h>

#include <cwchar>
#include <string>

#include "Trace.h"

namespace {

// The identifier of the menu item with this caption (no "&"), in any submenu; 0: none.
UINT MenuItemNamed(HMENU menu, const std::wstring& caption) {
    for (int i = 0; menu && i < ::GetMenuItemCount(menu); ++i) {
        if (HMENU sub = ::GetSubMenu(menu, i)) {
            if (const UINT id = MenuItemNamed(sub, caption)) return id;
            continue;
        }
        wchar_t text[128] = {};
        ::GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        std::wstring plain;
        for (const wchar_t* c = text; *c; ++c) {
            if (*c != L'&') plain += *c;
        }
        if (plain == caption) return ::GetMenuItemID(menu, i);
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring image = self;
    image = image.substr(image.find_last_of(L'\\') + 1);
    if (lstrcmpiW(image.c_str(), L"PmTrayStatus.exe") == 0) {
        sandbox::Trace(L"tray PmTrayStatus.exe started");
        return 0;
    }
    if (argc >= 5 && std::wstring(argv[1]) == L"--lines") {  // --lines N FILE TEXT: "TEXT 0" .. "TEXT N-1"
        for (unsigned long i = 0, n = std::wcstoul(argv[2], nullptr, 10); i < n; ++i) {
            sandbox::TraceTo(argv[3], std::wstring(argv[4]) + L" " + std::to_wstring(i));
        }
        return 0;
    }
    if (argc >= 4 && std::wstring(argv[1]) == L"--test-bounce") {
        // As an administrator would: pick the bounce option without ticking a
        // service, then File > Test selected actions. The menu item is sent as
        // the menu sends it: keys posted to open the menu raced the menu's own
        // start under load, and the run never began (once in a CI run).
        const DWORD after = static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10));
        for (int i = 0; i < 6000; ++i) {
            HWND w = ::FindWindowW(nullptr, argv[2]);
            if (w && ::IsWindowVisible(w)) {
                ::Sleep(after);
                HWND option = ::FindWindowExW(w, nullptr, L"Button", L"Stop and start selected services:");
                sandbox::Trace(L"user picks the bounce option and tests it");
                ::PostMessageW(option, BM_CLICK, 0, 0);
                ::Sleep(300);
                // Wine keeps a window's menu in its own process: where another
                // process cannot read it, the item is the second one the
                // program's menu set numbers (File > View log, Test selected
                // actions, ...: 0x8000, 0x8001).
                UINT item = MenuItemNamed(::GetMenu(w), L"Test selected actions");
                if (!item) item = 0x8001;
                ::PostMessageW(w, WM_COMMAND, MAKEWPARAM(item, 0), 0);
                return 0;
            }
            ::Sleep(10);
        }
        return 1;
    }
    if (argc >= 4 && (std::wstring(argv[1]) == L"--click" || std::wstring(argv[1]) == L"--close")) {
        const bool click = std::wstring(argv[1]) == L"--click";
        const DWORD after = static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10));
        for (int i = 0; i < 6000; ++i) {  // up to a minute for the window to show
            HWND w = ::FindWindowW(nullptr, argv[2]);
            if (w && ::IsWindowVisible(w)) {
                ::Sleep(after);
                if (click) {
                    // The first button, or the one named by a fourth argument.
                    HWND button = ::FindWindowExW(w, nullptr, L"Button", argc >= 5 ? argv[4] : nullptr);
                    sandbox::Trace(argc >= 5 ? L"user clicks " + std::wstring(argv[4]) : L"user clicks Cancel");
                    ::PostMessageW(button, BM_CLICK, 0, 0);
                } else {
                    sandbox::Trace(L"user closes the window");
                    ::PostMessageW(w, WM_CLOSE, 0, 0);
                }
                return 0;
            }
            ::Sleep(10);
        }
        return 1;
    }
    if (argc >= 2 && std::wstring(argv[1]) == L"--sleep") {
        ::Sleep(INFINITE);
        return 0;
    }
    std::wstring text;
    for (int i = 1; i < argc; ++i) text += (i > 1 ? L" " : L"") + std::wstring(argv[i]);
    sandbox::Trace(text);
    return 0;
}
