// System libraries and functions that not every supported Windows has, or
// that must never be taken from the program's own folder. The program runs
// elevated from a folder others might plant a DLL in, so anything beyond the
// loader's known system DLLs is loaded from System32 by full path.
#pragma once

#include <windows.h>

namespace rt {

// From now on, LoadLibrary and friends search System32 only, where the
// running Windows offers that (Windows 8, or Windows 7 with KB2533623).
void UseSystemLibrariesOnly();

// A library from System32, loaded once and kept for the life of the process;
// nullptr when it is missing.
HMODULE SystemLibrary(const wchar_t* fileName);

// A function of a System32 library, or nullptr where this Windows lacks it.
template <class Fn>
Fn SystemFunction(const wchar_t* library, const char* name) {
    HMODULE module = SystemLibrary(library);
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

// The window's DPI where Windows tracks it per monitor (Windows 10 1607 on),
// otherwise (and with no window) the system DPI; 96 without a screen.
unsigned DpiOfWindow(HWND hwnd);
// AdjustWindowRectEx for that DPI.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, bool menu, DWORD exStyle, unsigned dpi);

}  // namespace rt
