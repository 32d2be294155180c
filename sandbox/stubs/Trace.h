// The sandbox's stand-ins append what happened to one trace file, named by
// HKLM\Software\OrvaneSandbox "TraceFile" (default C:\sandbox\trace.txt).
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

namespace sandbox {

inline std::wstring RegText(const wchar_t* value, const wchar_t* fallback) {
    wchar_t buf[1024] = {};
    DWORD size = sizeof buf;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\OrvaneSandbox", value, RRF_RT_REG_SZ, nullptr, buf, &size) ==
        ERROR_SUCCESS) {
        return buf;
    }
    return fallback;
}

inline DWORD RegNumber(const wchar_t* key, const wchar_t* value, DWORD fallback) {
    DWORD v = 0, size = sizeof v;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key, value, RRF_RT_REG_DWORD, nullptr, &v, &size) == ERROR_SUCCESS) return v;
    return fallback;
}

// One line: "2026-12-06 20:51:03.123 <text>", appended in one write.
inline void TraceTo(const std::wstring& path, const std::wstring& text) {
    // Wine's appends are not atomic between processes (two stand-ins writing
    // in the same millisecond lose a line), so the writers take turns; the
    // time is read in turn, so the file's order is the times' order.
    struct Turn {
        HANDLE mutex = ::CreateMutexW(nullptr, FALSE, L"Global\\OrvaneSandboxTrace");
        bool mine = mutex && ::WaitForSingleObject(mutex, 10000) != WAIT_TIMEOUT;
        ~Turn() {
            if (mine) ::ReleaseMutex(mutex);
            if (mutex) ::CloseHandle(mutex);
        }
    } turn;
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    wchar_t stamp[64];
    swprintf(stamp, 64, L"%04u-%02u-%02u %02u:%02u:%02u.%03u ", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
             t.wSecond, t.wMilliseconds);
    const std::wstring line = stamp + text + L"\r\n";
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr,
                                        nullptr);
    std::string utf8(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), utf8.data(), n, nullptr, nullptr);
    HANDLE h = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(h, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    ::CloseHandle(h);
}

inline void Trace(const std::wstring& text) { TraceTo(RegText(L"TraceFile", L"C:\\sandbox\\trace.txt"), text); }

}  // namespace sandbox
