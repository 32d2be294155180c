// A stand-in for one of the product's (or the web or database server's)
// services. The sandbox copies it once per service, named so that process
// names look like the real ones. It traces start and stop; a stop can be made
// to hang with HKLM\Software\OrvaneSandbox\HangStop "<name>"=1 (seconds in
// HangStopSeconds, default 600), and a start to fail with a marker file
// C:\sandbox\fail-start\<name>: the service then stops at once, as one
// whose start failed; C:\sandbox\start-pending\<name> makes it stay
// "start pending" until the prefix ends.
#include <windows.h>

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
    ::WaitForSingleObject(gStopEvent, INFINITE);
    sandbox::Trace(L"service " + gName + L" stopped");
    Report(SERVICE_STOPPED);
}

}  // namespace

int wmain(int, wchar_t**) {
    SERVICE_TABLE_ENTRYW table[] = {{const_cast<wchar_t*>(L""), &ServiceMain}, {nullptr, nullptr}};
    return ::StartServiceCtrlDispatcherW(table) ? 0 : 1;
}
