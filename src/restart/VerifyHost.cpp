#include "restart/VerifyHost.h"

#include <windows.h>

#include <memory>

#include "runtime/Handles.h"
#include "runtime/Text.h"

namespace {

struct ServiceCloser {
    void operator()(SC_HANDLE h) const noexcept { ::CloseServiceHandle(h); }
};
using UniqueService = std::unique_ptr<std::remove_pointer_t<SC_HANDLE>, ServiceCloser>;

ServiceState CannotQuery() {
    return {ServiceState::Unknown, "cannot query: " + rt::ToUtf8(rt::SystemErrorText(::GetLastError()))};
}

const char* StateText(DWORD state) {
    switch (state) {
    case SERVICE_STOPPED: return "stopped";
    case SERVICE_START_PENDING: return "start pending";
    case SERVICE_STOP_PENDING: return "stop pending";
    case SERVICE_RUNNING: return "running";
    case SERVICE_CONTINUE_PENDING: return "continue pending";
    case SERVICE_PAUSE_PENDING: return "pause pending";
    case SERVICE_PAUSED: return "paused";
    default: return "in an unknown state";
    }
}

}  // namespace

ServiceState QueryServiceState(const std::wstring& name) {
    UniqueService manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return CannotQuery();
    UniqueService service(::OpenServiceW(manager.get(), name.c_str(), SERVICE_QUERY_STATUS));
    if (!service) return CannotQuery();
    SERVICE_STATUS status{};
    if (!::QueryServiceStatus(service.get(), &status)) return CannotQuery();
    return {status.dwCurrentState == SERVICE_RUNNING ? ServiceState::Running : ServiceState::NotRunning,
            StateText(status.dwCurrentState)};
}

StoredNumber ReadVerifySeconds(const wchar_t* keyPath) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return {};
    const rt::UniqueKey owner(key);
    DWORD type = 0, value = 0, size = sizeof value;
    const LSTATUS status = ::RegQueryValueExW(key, L"VerifySeconds", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (status == ERROR_FILE_NOT_FOUND) return {};
    // Too long for a DWORD (ERROR_MORE_DATA), or of another type.
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) return {true, false, 0};
    return {true, true, value};
}

bool ClaimRestartRun() {
    // Held, never closed: the lock lives exactly as long as this process.
    static HANDLE lock = nullptr;
    if (lock) return true;
    HANDLE h = ::CreateMutexW(nullptr, FALSE, L"Global\\OrvaneScheduledRestart.RestartRun");
    const DWORD error = ::GetLastError();
    // Made by another account's run: it exists, but this one may not open it.
    if (!h || error == ERROR_ALREADY_EXISTS) {
        if (h) ::CloseHandle(h);
        return false;
    }
    lock = h;
    return true;
}
