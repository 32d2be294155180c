#include "verify/VerifyHost.h"

#include <windows.h>
#include <sddl.h>
#include <shlobj.h>

#include <memory>
#include <vector>

#include "hostenv/FolderAccess.h"
#include "hostenv/RegistryAPI.h"

#include "runtime/App.h"
#include "runtime/Handles.h"
#include "runtime/SystemApi.h"
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

std::wstring RunLockFolder() {
    // Looked up when a run needs it: shell32 is not loaded before the
    // configuration window is visible.
    using Fn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
    static const auto getFolderPath = rt::SystemFunction<Fn>(L"shell32.dll", "SHGetFolderPathW");
    wchar_t data[MAX_PATH] = {};
    if (!getFolderPath || FAILED(getFolderPath(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, data))) return {};
    return rt::JoinPath(data, L"OrvaneScheduledRestart");
}

std::string PrepareRunLockFolder(const std::wstring& folder) {
    if (folder.empty()) return "the run lock's folder cannot be found: the common application data folder is not known";
    // The local system account and Administrators alone, owned by
    // Administrators, nothing inherited from the folder above.
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", SDDL_REVISION_1,
                                                                &sd, nullptr)) {
        return "the run lock's folder cannot be made: " + rt::ToUtf8(rt::SystemErrorText(::GetLastError()));
    }
    const rt::UniqueOwner<HLOCAL, &::LocalFree> sdOwner(sd);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, sd, FALSE};
    if (!::CreateDirectoryW(folder.c_str(), &attributes) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        return "the run lock's folder " + rt::ToUtf8(folder) +
               " cannot be made: " + rt::ToUtf8(rt::SystemErrorText(::GetLastError()));
    }
    // Made before by someone else, or changed since: the rule decides.
    if (const std::wstring writers = FolderWritersBesidesAdmins(folder); !writers.empty()) {
        return "the run lock's folder " + rt::ToUtf8(folder) + " can be changed by " + rt::ToUtf8(writers) +
               ", not only by administrators; no run starts until an administrator removes it or that access";
    }
    return {};
}

std::string ClaimRunLock(const std::wstring& path, rt::UniqueHandle& into) {
    // Never deleted, so no open of it by anyone can leave it "delete pending";
    // the lock is on its first byte, which a process's end always releases.
    rt::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                        nullptr));
    if (!file) {
        return "the run lock " + rt::ToUtf8(path) + " cannot be taken: " + rt::ToUtf8(rt::SystemErrorText(::GetLastError()));
    }
    // A preview's look holds it for an instant: wait that out.
    for (int tries = 0;; ++tries) {
        OVERLAPPED at{};
        if (::LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) break;
        const DWORD error = ::GetLastError();
        if (error != ERROR_LOCK_VIOLATION) {
            return "the run lock " + rt::ToUtf8(path) + " cannot be taken: " + rt::ToUtf8(rt::SystemErrorText(error));
        }
        if (tries == 40) return "another restart run is in progress";
        ::Sleep(50);
    }
    into = std::move(file);
    return {};
}

std::optional<bool> RunLockHeld(const std::wstring& path, std::string& error) {
    const rt::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) {
        const DWORD why = ::GetLastError();
        if (why == ERROR_FILE_NOT_FOUND || why == ERROR_PATH_NOT_FOUND) return false;  // no run has ever taken it
        error = rt::ToUtf8(rt::SystemErrorText(why));
        return std::nullopt;
    }
    OVERLAPPED at{};
    if (::LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        ::UnlockFileEx(file.get(), 0, 1, 0, &at);
        return false;
    }
    if (::GetLastError() == ERROR_LOCK_VIOLATION) return true;
    error = rt::ToUtf8(rt::SystemErrorText(::GetLastError()));
    return std::nullopt;
}

std::wstring RunLockPath() { return rt::JoinPath(RunLockFolder(), L"run.lock"); }

std::string ClaimRestartRun() {
    // Held, never closed: the lock lives exactly as long as this process.
    static rt::UniqueHandle lock;
    if (lock) return {};
    if (std::string why = PrepareRunLockFolder(RunLockFolder()); !why.empty()) return why;
    return ClaimRunLock(RunLockPath(), lock);
}
