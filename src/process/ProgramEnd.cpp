#include "process/ProgramEnd.h"

#include <windows.h>

#include "core/Arguments.h"
#include "logging/modLogging.h"
#include "runtime/ErrorReporting.h"
#include "runtime/Handles.h"

namespace {

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) return path.substr(0, n);
        path.resize(path.size() * 2);
    }
}

std::wstring ShortPathOf(const std::wstring& path) {
    const DWORD n = path.empty() ? 0 : ::GetShortPathNameW(path.c_str(), nullptr, 0);
    if (n == 0) return {};
    std::wstring shortPath(n, L'\0');
    const DWORD got = ::GetShortPathNameW(path.c_str(), shortPath.data(), n);
    return got > 0 && got < n ? shortPath.substr(0, got) : std::wstring();
}

}  // namespace

std::wstring ProgramArguments() {
    // Read once: the line never changes, and its 8.3 form costs a walk of
    // every folder on the path.
    static const std::wstring arguments = [] {
        const std::wstring module = ModulePath();
        return std::wstring(ArgumentsAfterProgram(::GetCommandLineW(), module, [&] { return ShortPathOf(module); }));
    }();
    return arguments;
}

bool bFileExists(const std::wstring& path) {
    bool found = false;
    rt::ContinueSilently([&] {
        if (path.empty()) return;
        // A drive that is not ready must answer "no", never with a system box.
        const UINT oldMode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        WIN32_FIND_DATAW data{};
        HANDLE h = ::FindFirstFileW(path.c_str(), &data);
        ::SetErrorMode(oldMode);
        if (h == INVALID_HANDLE_VALUE) return;
        rt::UniqueFind find(h);
        constexpr DWORD kNotOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        do {
            if ((data.dwFileAttributes & kNotOrdinary) == 0) {
                found = true;
                return;
            }
        } while (::FindNextFileW(find.get(), &data));
    });
    return found;
}

void EndProgram(int exitCode) {
    rt::ContinueSilently([] { CloseLogFile(); });
    // At once: no further window event and no unload handler may run, so no
    // orderly exit that would tear windows down.
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(exitCode));
    ::ExitProcess(static_cast<UINT>(exitCode));
}
