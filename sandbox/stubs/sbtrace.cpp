// sbtrace.exe: appends its arguments to the sandbox trace (used by the
// reboot.bat stand-in); "sbtrace.exe --sleep" keeps the prefix alive.
// PmTrayStatus.exe is the same program: started under that name it traces
// the tray program's start.
#include <windows.h>

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
    if (argc >= 2 && std::wstring(argv[1]) == L"--sleep") {
        ::Sleep(INFINITE);
        return 0;
    }
    std::wstring text;
    for (int i = 1; i < argc; ++i) text += (i > 1 ? L" " : L"") + std::wstring(argv[i]);
    sandbox::Trace(text);
    return 0;
}
