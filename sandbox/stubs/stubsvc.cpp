// A stand-in for one of the product's (or the web or database server's)
// services. The sandbox copies it once per service, named so that process
// names look like the real ones. It traces start and stop; a stop can be made
// to hang with HKLM\Software\OrvaneSandbox\HangStop "<name>"=1 (seconds in
// HangStopSeconds, default 600), and a start to fail with a marker file
// C:\sandbox\fail-start\<name>: the service then stops at once, as one
// whose start failed; C:\sandbox\start-pending\<name> makes it stay
// "start pending" until the prefix ends. A start also starts the services
// this one depends on (DependOnService), as Windows' service manager does
// and Wine's does not; here just after, since Wine keeps its service
// database locked until the start is answered.
#include <windows.h>

#include <cwchar>
#include <memory>
#include <string>

#include "Trace.h"

namespace {

SERVICE_STATUS_HANDLE gStatusHandle = nullptr;
SERVICE_STATUS gStatus{};
HANDLE gStopEvent = nullptr;
std::wstring gName;

void Report(DWORD state, DWORD exitCode = NO_ERROR) {
    gStatus.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    gStatus.dwCurrentState = state;
    gStatus.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
    gStatus.dwWin32ExitCode = exitCode;
    ::SetServiceStatus(gStatusHandle, &gStatus);
}

DWORD WINAPI Handler(DWORD control, DWORD, void*, void*) {
    if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
        sandbox::Trace(L"service " + gName + L" stop requested");
        if (sandbox::RegNumber(L"Software\\OrvaneSandbox\\HangStop", gName.c_str(), 0) == 1) {
            const DWORD seconds = sandbox::RegNumber(L"Software\\OrvaneSandbox", L"HangStopSeconds", 600);
            sandbox::Trace(L"service " + gName + L" stop hangs for " + std::to_wstring(seconds) + L" s");
            ::Sleep(seconds * 1000);
        }
        Report(SERVICE_STOP_PENDING);
        ::SetEvent(gStopEvent);
        return NO_ERROR;
    }
    return control == SERVICE_CONTROL_INTERROGATE ? NO_ERROR : ERROR_CALL_NOT_IMPLEMENTED;
}

struct ServiceCloser {
    void operator()(SC_HANDLE h) const { ::CloseServiceHandle(h); }
};
using Service = std::unique_ptr<std::remove_pointer_t<SC_HANDLE>, ServiceCloser>;

// The list the service manager keeps (Wine's QueryServiceConfig leaves it out).
void StartDependencies() {
    const std::wstring key = L"SYSTEM\\CurrentControlSet\\Services\\" + gName;
    wchar_t list[512]{};
    DWORD size = sizeof list - 2 * sizeof(wchar_t);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"DependOnService", RRF_RT_REG_MULTI_SZ, nullptr, list, &size) !=
        ERROR_SUCCESS) {
        return;
    }
    Service manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    for (const wchar_t* name = list; *name; name += std::wcslen(name) + 1) {
        Service dependency(manager ? ::OpenServiceW(manager.get(), name, SERVICE_START) : nullptr);
        // Wine's service manager keeps its database locked until this
        // service's own start has been answered.
        for (int i = 0; dependency && i < 100; ++i) {
            if (::StartServiceW(dependency.get(), 0, nullptr)) {
                sandbox::Trace(L"service " + gName + L" starts its dependency " + name);
                break;
            }
            const DWORD error = ::GetLastError();
            if (error == ERROR_SERVICE_ALREADY_RUNNING) break;
            if (error != ERROR_SERVICE_DATABASE_LOCKED || i == 99) {
                sandbox::Trace(L"service " + gName + L" could not start its dependency " + name + L": error " +
                               std::to_wstring(error));
                break;
            }
            ::Sleep(100);
        }
    }
}

void WINAPI ServiceMain(DWORD argc, wchar_t** argv) {
    gName = argc > 0 ? argv[0] : L"?";
    gStatusHandle = ::RegisterServiceCtrlHandlerExW(gName.c_str(), &Handler, nullptr);
    if (!gStatusHandle) return;
    const std::wstring marker = L"C:\\sandbox\\fail-start\\" + gName;
    if (::GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES) {
        sandbox::Trace(L"service " + gName + L" start fails (marker)");
        Report(SERVICE_STOPPED, ERROR_SERVICE_SPECIFIC_ERROR);
        return;
    }
    gStopEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const std::wstring pending = L"C:\\sandbox\\start-pending\\" + gName;
    if (::GetFileAttributesW(pending.c_str()) != INVALID_FILE_ATTRIBUTES) {
        gStatus.dwWaitHint = 600000;
        Report(SERVICE_START_PENDING);
        sandbox::Trace(L"service " + gName + L" stays start pending (marker)");
        ::WaitForSingleObject(gStopEvent, INFINITE);
        return;
    }
    Report(SERVICE_RUNNING);
    sandbox::Trace(L"service " + gName + L" started");
    StartDependencies();
    ::WaitForSingleObject(gStopEvent, INFINITE);
    sandbox::Trace(L"service " + gName + L" stopped");
    Report(SERVICE_STOPPED);
}

}  // namespace

int wmain(int, wchar_t**) {
    SERVICE_TABLE_ENTRYW table[] = {{const_cast<wchar_t*>(L""), &ServiceMain}, {nullptr, nullptr}};
    return ::StartServiceCtrlDispatcherW(table) ? 0 : 1;
}
