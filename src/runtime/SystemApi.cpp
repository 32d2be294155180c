#include "runtime/SystemApi.h"

#include <map>
#include <mutex>
#include <string>

namespace rt {
namespace {

// Without KB2533623 on Windows 7 LoadLibraryEx rejects the search flags; a
// full System32 path with the altered search order is safe on every version
// (its own dependencies are then looked for in System32 first).
HMODULE LoadFromSystemFolder(const wchar_t* fileName) {
    if (HMODULE m = ::LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return m;
    wchar_t folder[MAX_PATH];
    const UINT n = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, n) + L'\\' + fileName;
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

void UseSystemLibrariesOnly() {
    using SetDirs = BOOL(WINAPI*)(DWORD);
    // kernel32 is always loaded, and from System32.
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    auto set = reinterpret_cast<SetDirs>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (set) set(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Either way, the current folder (the scheduled task's start-in folder)
    // never supplies a DLL.
    ::SetDllDirectoryW(L"");
}

HMODULE SystemLibrary(const wchar_t* fileName) {
    static std::mutex lock;
    static std::map<std::wstring, HMODULE> loaded;  // never freed: kept for the process
    std::lock_guard<std::mutex> guard(lock);
    auto it = loaded.find(fileName);
    if (it != loaded.end()) return it->second;
    HMODULE m = LoadFromSystemFolder(fileName);
    loaded.emplace(fileName, m);
    return m;
}

unsigned DpiOfWindow(HWND hwnd) {
    using ForWindow = UINT(WINAPI*)(HWND);
    static const auto forWindow = SystemFunction<ForWindow>(L"user32.dll", "GetDpiForWindow");
    using ForSystem = UINT(WINAPI*)();
    static const auto forSystem = SystemFunction<ForSystem>(L"user32.dll", "GetDpiForSystem");
    if (hwnd && forWindow) {
        if (const UINT dpi = forWindow(hwnd)) return dpi;
    }
    if (!hwnd && forSystem) {
        if (const UINT dpi = forSystem()) return dpi;
    }
    unsigned dpi = 0;
    if (HDC screen = ::GetDC(nullptr)) {
        dpi = static_cast<unsigned>(::GetDeviceCaps(screen, LOGPIXELSX));
        ::ReleaseDC(nullptr, screen);
    }
    return dpi ? dpi : 96;
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, bool menu, DWORD exStyle, unsigned dpi) {
    using ForDpi = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto forDpi = SystemFunction<ForDpi>(L"user32.dll", "AdjustWindowRectExForDpi");
    if (forDpi && forDpi(&rect, style, menu, exStyle, dpi)) return;
    ::AdjustWindowRectEx(&rect, style, menu, exStyle);
}

}  // namespace rt
