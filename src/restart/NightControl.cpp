#include "restart/NightControl.h"

#include <windows.h>
#include <wtsapi32.h>

#include <cstdio>
#include <memory>

#include "hostenv/FolderAccess.h"
#include "verify/BootCheck.h"
#include "verify/VerifyHost.h"
#include "runtime/App.h"
#include "runtime/Handles.h"
#include "runtime/SystemApi.h"
#include "runtime/Text.h"

namespace {

constexpr wchar_t kSkipBy[] = L"SkipBy";
constexpr wchar_t kSkipAt[] = L"SkipAt";

std::string ErrorText(DWORD error) { return rt::ToUtf8(rt::SystemErrorText(error)); }

std::wstring StateFile() { return rt::JoinPath(RunLockFolder(), L"run.state"); }
std::wstring RequestFile() { return rt::JoinPath(RunLockFolder(), L"cancel.request"); }

// A small file of the lock's folder as text; empty when missing or unreadable.
std::string ReadSmallFile(const std::wstring& path) {
    const rt::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                              nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return {};
    char buffer[4096];
    DWORD read = 0;
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return {};
    return std::string(buffer, read);
}

// Written whole to a new file, then put in place in one step, so that a
// reader never sees half of it.
bool WriteSmallFile(const std::wstring& path, const std::string& text, std::string& error) {
    const std::wstring fresh = path + L".new";
    {
        const rt::UniqueHandle file(::CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        DWORD written = 0;
        if (!file || !::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
            written != text.size()) {
            error = ErrorText(::GetLastError());
            return false;
        }
    }
    if (!::MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        error = ErrorText(::GetLastError());
        ::DeleteFileW(fresh.c_str());
        return false;
    }
    return true;
}

struct KeyOpen {
    rt::UniqueKey key;
    LSTATUS status = ERROR_SUCCESS;
};
KeyOpen ProgramKey(REGSAM access, bool create) {
    HKEY key = nullptr;
    KeyOpen result;
    result.status = create ? ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kProgramKey, 0, nullptr, 0, access, nullptr, &key, nullptr)
                           : ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProgramKey, 0, access, &key);
    if (result.status == ERROR_SUCCESS) result.key.reset(key);
    return result;
}

// The session functions, from System32 only (never a DLL beside the program).
template <class Fn>
Fn Wts(const char* name) {
    return rt::SystemFunction<Fn>(L"wtsapi32.dll", name);
}
using EnumerateFn = BOOL(WINAPI*)(HANDLE, DWORD, DWORD, WTS_SESSION_INFOW**, DWORD*);
using QueryFn = BOOL(WINAPI*)(HANDLE, DWORD, WTS_INFO_CLASS, LPWSTR*, DWORD*);
using SendFn = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, DWORD, LPWSTR, DWORD, DWORD, DWORD, DWORD*, BOOL);
using FreeFn = void(WINAPI*)(PVOID);

struct WtsFree {
    void operator()(void* p) const noexcept {
        if (const auto free = Wts<FreeFn>("WTSFreeMemory")) free(p);
    }
};

std::wstring SessionText(DWORD session, WTS_INFO_CLASS what) {
    const auto query = Wts<QueryFn>("WTSQuerySessionInformationW");
    LPWSTR text = nullptr;
    DWORD bytes = 0;
    if (!query || !query(WTS_CURRENT_SERVER_HANDLE, session, what, &text, &bytes) || !text) return {};
    const std::unique_ptr<void, WtsFree> owner(text);
    return text;
}

// An administrator, and elevated: a standard user, or one whose prompt was
// not run as administrator, is refused with that reason before anything else.
bool RunsAsAdministrator() {
    BYTE admins[SECURITY_MAX_SID_SIZE] = {};
    DWORD size = sizeof admins;
    BOOL member = FALSE;
    return ::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins, &size) &&
           ::CheckTokenMembership(nullptr, admins, &member) && member;
}
constexpr char kNotAdministrator[] = "this prompt does not run as administrator";

}  // namespace

SkipRecord ReadSkipRecord() {
    const KeyOpen open = ProgramKey(KEY_QUERY_VALUE | READ_CONTROL, false);
    if (!open.key) return {};
    DWORD byType = 0, atType = 0, bySize = 0, atSize = 0;
    const LSTATUS byStatus = ::RegQueryValueExW(open.key.get(), kSkipBy, nullptr, &byType, nullptr, &bySize);
    std::uint64_t at = 0;
    atSize = sizeof at;
    const LSTATUS atStatus =
        ::RegQueryValueExW(open.key.get(), kSkipAt, nullptr, &atType, reinterpret_cast<BYTE*>(&at), &atSize);
    if (byStatus == ERROR_FILE_NOT_FOUND && atStatus == ERROR_FILE_NOT_FOUND) return {};
    SkipRecord record;
    record.state = SkipRecord::Unreadable;
    if (byStatus != ERROR_SUCCESS || byType != REG_SZ || bySize > 1024 || atStatus != ERROR_SUCCESS ||
        atType != REG_QWORD || atSize != sizeof at || at > 0x7FFFFFFFFFFFull) {
        return record;
    }
    std::wstring by(bySize / sizeof(wchar_t) + 1, L'\0');
    DWORD size = static_cast<DWORD>(by.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(open.key.get(), kSkipBy, nullptr, &byType, reinterpret_cast<BYTE*>(by.data()), &size) !=
        ERROR_SUCCESS) {
        return record;
    }
    by.resize(::wcsnlen(by.c_str(), by.size()));
    record = {SkipRecord::Set, rt::ToUtf8(by), static_cast<std::int64_t>(at),
              rt::ToUtf8(KeyWritersBesidesAdmins(open.key.get(), L"HKLM\\SOFTWARE\\Orvane\\ScheduledRestart"))};
    return record;
}

bool WriteSkipRecord(const SkipRecord& skip, std::string& error) {
    const KeyOpen open = ProgramKey(KEY_SET_VALUE, true);
    LSTATUS status = open.status;
    if (open.key) {
        const std::wstring by = rt::FromUtf8(skip.by);
        const std::uint64_t at = static_cast<std::uint64_t>(skip.at);
        status = ::RegSetValueExW(open.key.get(), kSkipBy, 0, REG_SZ, reinterpret_cast<const BYTE*>(by.c_str()),
                                  static_cast<DWORD>((by.size() + 1) * sizeof(wchar_t)));
        if (status == ERROR_SUCCESS) {
            status = ::RegSetValueExW(open.key.get(), kSkipAt, 0, REG_QWORD, reinterpret_cast<const BYTE*>(&at), sizeof at);
        }
    }
    if (status != ERROR_SUCCESS) error = ErrorText(static_cast<DWORD>(status));
    return status == ERROR_SUCCESS;
}

bool ClearSkipRecord(std::string& error) {
    const KeyOpen open = ProgramKey(KEY_SET_VALUE, false);
    if (open.status == ERROR_FILE_NOT_FOUND) return true;
    LSTATUS status = open.status;
    for (const wchar_t* value : {kSkipAt, kSkipBy}) {
        if (status != ERROR_SUCCESS) break;
        status = ::RegDeleteValueW(open.key.get(), value);
        if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
    }
    if (status != ERROR_SUCCESS) error = ErrorText(static_cast<DWORD>(status));
    return status == ERROR_SUCCESS;
}

std::string ThisRunIdentity() {
    FILETIME created{}, exited{}, kernel{}, user{};
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    const std::uint64_t began = (std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
    return std::to_string(::GetCurrentProcessId()) + "@" + std::to_string(began);
}

bool WriteRunState(const RunState& state, std::string& error) {
    // A request left for an earlier run never counts: gone before this one counts down.
    if (state.phase == RunPhase::Counting) RemoveCancelRequest();
    return WriteSmallFile(StateFile(), RunStateText(state), error);
}

std::string ReadCancelRequestText() { return ReadSmallFile(RequestFile()); }

void RemoveCancelRequest() { ::DeleteFileW(RequestFile().c_str()); }

std::vector<Session> OtherActiveSessions(std::string& error) {
    DWORD own = 0;
    ::ProcessIdToSessionId(::GetCurrentProcessId(), &own);
    WTS_SESSION_INFOW* list = nullptr;
    DWORD count = 0;
    const auto enumerate = Wts<EnumerateFn>("WTSEnumerateSessionsW");
    if (!enumerate) {
        error = "the session functions (wtsapi32.dll) are missing";
        return {};
    }
    if (!enumerate(WTS_CURRENT_SERVER_HANDLE, 0, 1, &list, &count)) {
        error = ErrorText(::GetLastError());
        return {};
    }
    const std::unique_ptr<void, WtsFree> owner(list);
    std::vector<SessionSeen> seen;
    for (DWORD i = 0; i < count; ++i) {
        const std::wstring user = SessionText(list[i].SessionId, WTSUserName);
        const std::wstring domain = SessionText(list[i].SessionId, WTSDomainName);
        seen.push_back({list[i].SessionId, list[i].State == WTSActive,
                        rt::ToUtf8(domain.empty() || user.empty() ? user : domain + L"\\" + user)});
    }
    return SessionsToTell(seen, own);
}

bool SendSessionNotice(std::uint32_t session, const std::string& title, const std::string& text, std::int32_t seconds,
                       std::string& error) {
    std::wstring wideTitle = rt::FromUtf8(title), wideText = rt::FromUtf8(text);
    DWORD response = 0;
    // Never waited for: the run goes on whether anyone reads it or not.
    const auto send = Wts<SendFn>("WTSSendMessageW");
    if (send && send(WTS_CURRENT_SERVER_HANDLE, session, wideTitle.data(),
                          static_cast<DWORD>(wideTitle.size() * sizeof(wchar_t)), wideText.data(),
                          static_cast<DWORD>(wideText.size() * sizeof(wchar_t)), MB_OK | MB_ICONWARNING,
                          static_cast<DWORD>(seconds), &response, FALSE)) {
        return true;
    }
    error = send ? ErrorText(::GetLastError()) : "the session functions (wtsapi32.dll) are missing";
    return false;
}

std::string LocalTimeOf(std::int64_t utcSeconds) {
    const std::uint64_t ticks = (static_cast<std::uint64_t>(utcSeconds) + 11644473600ull) * 10000000ull;
    const FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME u{}, local{};
    if (!::FileTimeToSystemTime(&utc, &u) || !::SystemTimeToTzSpecificLocalTime(nullptr, &u, &local)) return "?";
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", local.wYear, local.wMonth, local.wDay,
                  local.wHour, local.wMinute, local.wSecond);
    return text;
}

ControlResult RunCancel() {
    const auto answer = [](CancelAnswer a, const std::string& reason = {}) {
        return ControlResult{rt::FromUtf8(CancelAnswerText(a, reason)) + L"\r\n", ExitCodeOf(a)};
    };
    if (!RunsAsAdministrator()) return answer(CancelAnswer::Refused, kNotAdministrator);
    // The folder is what every run trusts; one someone else can change refuses.
    if (std::string why = PrepareRunLockFolder(RunLockFolder()); !why.empty()) return answer(CancelAnswer::Refused, why);
    std::string error;
    const std::optional<bool> held = RunLockHeld(RunLockPath(), error);
    if (!held) return answer(CancelAnswer::Refused, "the run lock cannot be read: " + error);
    const std::optional<RunState> state = ParseRunState(ReadSmallFile(StateFile()));
    if (const std::optional<CancelAnswer> now = BeforeRequest(*held, state)) return answer(*now);
    const std::string me = rt::ToUtf8(CurrentAccountName());
    if (!WriteSmallFile(RequestFile(), CancelRequestText({state->run, me}), error)) {
        return answer(CancelAnswer::Refused, "the request cannot be written: " + error);
    }
    // The run takes it at its next tick, once a second.
    for (int waited = 0; waited < 100; ++waited) {
        ::Sleep(100);
        std::string ignored;
        const std::optional<bool> still = RunLockHeld(RunLockPath(), ignored);
        const std::optional<RunState> seen = ParseRunState(ReadSmallFile(StateFile()));
        if (const std::optional<CancelAnswer> result = AfterRequest(state->run, state->phase, still.value_or(true), seen)) {
            if (*result != CancelAnswer::Cancelled && *result != CancelAnswer::CancelledStopped) RemoveCancelRequest();
            return answer(*result);
        }
    }
    RemoveCancelRequest();
    // Taken just now after all?
    const std::optional<RunState> last = ParseRunState(ReadSmallFile(StateFile()));
    if (last && last->run == state->run && last->phase == RunPhase::Cancelled) return answer(CancelAnswer::Cancelled);
    return answer(CancelAnswer::NoAnswer);
}

ControlResult RunSkip(bool on) {
    std::string error = kNotAdministrator;
    if (!RunsAsAdministrator()) {
        return {L"The skip cannot be " + std::wstring(on ? L"set" : L"withdrawn") + L": " + rt::FromUtf8(error) +
                    L". Only an administrator can change it.\r\n",
                2};
    }
    if (!on) {
        const SkipRecord before = ReadSkipRecord();
        if (!ClearSkipRecord(error)) {
            return {L"The skip cannot be withdrawn: " + rt::FromUtf8(error) + L". Only an administrator can change it.\r\n", 2};
        }
        if (before.state != SkipRecord::Set) return {L"No skip was pending. Nothing changed.\r\n", 0};
        return {rt::FromUtf8("The skip that " + before.by + " set at " + LocalTimeOf(before.at) + " was withdrawn.\r\n"), 0};
    }
    const SkipRecord skip{SkipRecord::Set, rt::ToUtf8(CurrentAccountName()), UtcSecondsNow(), {}};
    if (!WriteSkipRecord(skip, error)) {
        return {L"The skip cannot be set: " + rt::FromUtf8(error) + L". Only an administrator can change it.\r\n", 2};
    }
    return {rt::FromUtf8("The next restart run on this server will be skipped, as " + skip.by + " asked at " +
                         LocalTimeOf(skip.at) + ". The skip expires at " + LocalTimeOf(skip.at + kSkipHoldsSeconds) +
                         " if no run uses it.\r\n"),
            0};
}
