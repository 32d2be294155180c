#include "startup/Module1.h"

#include <windows.h>

#include "config/CommandLine.h"
#include "config/frmConfigure.h"
#include "logging/modLogging.h"
#include "restart/frmRestart.h"
#include "runtime/ErrorReporting.h"
#include "runtime/Handles.h"

std::wstring ProgramArguments() {
    return std::wstring(ArgumentsOf(::GetCommandLineW()));
}

void Main() {
    if (NamesRestartWindow(ProgramArguments())) {
        // RestartAction stays 0: the restart window restarts the product only.
        TheRestartForm().Show(rt::ShowMode::Modeless);
    } else {
        TheConfigureForm().Show(rt::ShowMode::Modeless);
    }
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

void EndProgram() {
    rt::ContinueSilently([] { CloseLogFile(); });
    // At once: no further window event and no unload handler may run, so no
    // orderly exit that would tear windows down.
    ::TerminateProcess(::GetCurrentProcess(), 0);
    ::ExitProcess(0);
}
