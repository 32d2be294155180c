// sbtrace.exe: appends its arguments to the sandbox trace (used by the
// reboot.bat stand-in); "sbtrace.exe --sleep" keeps the prefix alive.
// PmTrayStatus.exe is the same program: started under that name it traces
// the tray program's start.
// "sbtrace.exe --click TITLE MS" clicks the first button of the window TITLE
// once it has been visible for MS milliseconds; "--close TITLE MS" closes it.
#include <windows.h>

#include <cwchar>
#include <string>

#include "Trace.h"

int wmain(int argc, wchar_t** argv) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring image = self;
    image = image.substr(image.find_last_of(L'\\') + 1);
    if (lstrcmpiW(image.c_str(), L"PmTrayStatus.exe") == 0) {
        sandbox::Trace(L"tray PmTrayStatus.exe started");
        return 0;
    }
    if (argc >= 4 && std::wstring(argv[1]) == L"--test-bounce") {
        // As an administrator would: pick the bounce option without ticking a
        // service, then File > Test selected actions from the keyboard.
        const DWORD after = static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10));
        for (int i = 0; i < 6000; ++i) {
            HWND w = ::FindWindowW(nullptr, argv[2]);
            if (w && ::IsWindowVisible(w)) {
                ::Sleep(after);
                HWND option = ::FindWindowExW(w, nullptr, L"Button", L"Stop and start selected services:");
                sandbox::Trace(L"user picks the bounce option and tests it");
                ::PostMessageW(option, BM_CLICK, 0, 0);
                ::Sleep(300);
                ::PostMessageW(w, WM_SYSCOMMAND, SC_KEYMENU, 0);
                for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) {
                    ::Sleep(300);
                    ::PostMessageW(w, WM_KEYDOWN, key, 0);
                    ::PostMessageW(w, WM_KEYUP, key, 0xC0000000);
                }
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
