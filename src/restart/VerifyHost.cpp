#include "restart/VerifyHost.h"

#include <windows.h>

#include <memory>
#include <vector>

#include "hostenv/RegistryAPI.h"

#include "runtime/App.h"
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
    if (!service && ::GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST) return {ServiceState::NotInstalled, "not installed"};
    if (!service) return CannotQuery();
    SERVICE_STATUS status{};
    if (!::QueryServiceStatus(service.get(), &status)) return CannotQuery();
    return {status.dwCurrentState == SERVICE_RUNNING ? ServiceState::Running : ServiceState::NotRunning,
            StateText(status.dwCurrentState)};
}

std::string ServiceStartType(const std::wstring& name) {
    UniqueService manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    UniqueService service(manager ? ::OpenServiceW(manager.get(), name.c_str(), SERVICE_QUERY_CONFIG) : nullptr);
    DWORD needed = 0;
    if (service) ::QueryServiceConfigW(service.get(), nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed ? needed : 1);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (!service || !needed || !::QueryServiceConfigW(service.get(), config, needed, &needed)) {
        return "cannot be read: " + rt::ToUtf8(rt::SystemErrorText(::GetLastError()));
    }
    switch (config->dwStartType) {
    case SERVICE_AUTO_START: return "automatic";
    case SERVICE_DEMAND_START: return "manual";
    case SERVICE_DISABLED: return "disabled";
    case SERVICE_BOOT_START: return "boot";
    case SERVICE_SYSTEM_START: return "system";
    default: return "type " + std::to_string(config->dwStartType);
    }
}

std::wstring ProductRootPath() {
    return RegTextOrEmpty(GetRegValue(HKEY_LOCAL_MACHINE, L"Software\\Pellmark\\Trellan\\1.0", L"Root Path", kRegText,
                                      std::wstring()));
}

StoredNumber ReadProgramNumber(const wchar_t* value, const wchar_t* keyPath) {
    BOOL wow64 = FALSE;
    ::IsWow64Process(::GetCurrentProcess(), &wow64);
    const REGSAM other = sizeof(void*) == 8 || !wow64 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    for (const REGSAM view : {REGSAM{0}, other}) {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) continue;
        const rt::UniqueKey owner(key);
        DWORD type = 0, number = 0, size = sizeof number;
        const LSTATUS status = ::RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE*>(&number), &size);
        if (status == ERROR_FILE_NOT_FOUND) continue;
        // Too long for a DWORD (ERROR_MORE_DATA), or of another type.
        if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof number) return {true, false, 0};
        return {true, true, number};
    }
    return {};
}

std::string ClaimRunLock(const std::wstring& path, rt::UniqueHandle& into) {
    rt::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (file) {
        into = std::move(file);
        return {};
    }
    const DWORD error = ::GetLastError();
    // A run holds it open without sharing.
    if (error == ERROR_SHARING_VIOLATION) return "another restart run is in progress";
    return "the run lock " + rt::ToUtf8(path) + " cannot be taken: " + rt::ToUtf8(rt::SystemErrorText(error));
}

std::string ClaimRestartRun() {
    // Held, never closed: the lock lives exactly as long as this process.
    static rt::UniqueHandle lock;
    if (lock) return {};
    return ClaimRunLock(rt::JoinPath(rt::App().path, L"OrvaneScheduledRestart.lock"), lock);
}
