#include "verify/BootCheck.h"

#include <windows.h>

#include "core/ProgramError.h"
#include "localize/RestartResCONST.h"
#include "localize/modLocalize.h"
#include "verify/BootVerdict.h"
#include "verify/VerifyHost.h"
#include "runtime/App.h"
#include "runtime/Handles.h"
#include "runtime/Text.h"
#include "schedule/ScheduledTasks.h"

namespace {

constexpr wchar_t kLogValue[] = L"BootCheckLog";
constexpr wchar_t kTimeValue[] = L"BootCheckTime";
constexpr wchar_t kMinutesValue[] = L"BootCheckMinutes";
// A volatile key written with the record: a boot clears it, and nothing
// else does, so its absence says a boot came whatever the clock says.
constexpr wchar_t kBootMarker[] = L"BootCheckPending";

std::wstring TaskName() { return rt::FromUtf8(kBootCheckTask); }

std::wstring ModulePath() {
    wchar_t path[MAX_PATH * 2] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    return path;
}

void Check(LSTATUS status) {
    if (status != ERROR_SUCCESS) throw ProgramError(status, rt::ToUtf8(rt::SystemErrorText(static_cast<DWORD>(status))));
}

}  // namespace

namespace {

void WriteRecord(const std::wstring& logPath, DWORD madeAt, DWORD minutes) {
    HKEY key = nullptr;
    Check(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kProgramKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_CREATE_SUB_KEY,
                            nullptr, &key, nullptr));
    const rt::UniqueKey owner(key);
    HKEY marker = nullptr;
    Check(::RegCreateKeyExW(key, kBootMarker, 0, nullptr, REG_OPTION_VOLATILE, KEY_READ, nullptr, &marker, nullptr));
    const rt::UniqueKey markerOwner(marker);
    Check(::RegSetValueExW(key, kLogValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(logPath.c_str()),
                           static_cast<DWORD>((logPath.size() + 1) * sizeof(wchar_t))));
    Check(::RegSetValueExW(key, kMinutesValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&minutes), sizeof minutes));
    Check(::RegSetValueExW(key, kTimeValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&madeAt), sizeof madeAt));
}

// Local time as seconds since 1601, and back.
std::int64_t Seconds(const SYSTEMTIME& t) {
    FILETIME ft{};
    ::SystemTimeToFileTime(&t, &ft);
    return static_cast<std::int64_t>((ULONGLONG{ft.dwHighDateTime} << 32) | ft.dwLowDateTime) / 10000000;
}
SYSTEMTIME TimeAt(std::int64_t seconds) {
    const ULONGLONG ticks = static_cast<ULONGLONG>(seconds) * 10000000ULL;
    const FILETIME ft{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME t{};
    ::FileTimeToSystemTime(&ft, &t);
    return t;
}

void MakeTask(std::int32_t rebootMinutes) {
    ScheduledTasks tasks;
    try {
        tasks.RemoveTask(TaskName());  // a later reboot replaces the check
    } catch (const ProgramError&) {
    }
    ScheduledTask task = tasks.AddTask(TaskName());  // as the local system account
    task.SetApplicationName(ModulePath());
    task.SetCommandLine(L"/Verify");
    task.SetWorkingDirectory(rt::App().path);
    task.SetCreator(mymyLoadString(IDS_SCHEDULED_RESTART_TASK));
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    task.AddBootTrigger(DailyScheduleAt(now));
    // And once when the reboot is overdue, so that a reboot that never
    // comes is reported without anyone starting the check.
    task.AddOnceTrigger(DailyScheduleAt(TimeAt(OverdueCheckAt(Seconds(now), rebootMinutes))));
    task.SetEnabled(true);
    task.Save();
}

}  // namespace

void ScheduleBootCheck(const std::wstring& logPath, std::int32_t rebootMinutes) {
    // The record first: a task that fires finds what to check, and a task
    // that cannot be made leaves no record behind.
    try {
        WriteRecord(logPath, static_cast<DWORD>(UtcSecondsNow()), static_cast<DWORD>(rebootMinutes));
        MakeTask(rebootMinutes);
    } catch (const ProgramError&) {
        try {
            DeleteBootCheck();
        } catch (const ProgramError&) {
            // Task Scheduler not answering: the record is gone all the same.
        }
        throw;
    }
}

bool IsPlainFile(const std::wstring& path) {
    // Not the file a link points to, and no second name for it elsewhere.
    const rt::UniqueHandle file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !::GetFileInformationByHandle(file.get(), &info)) return false;
    return (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) == 0 &&
           info.nNumberOfLinks == 1;
}

void DeleteBootCheck() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProgramKey, 0, KEY_SET_VALUE | DELETE, &key) == ERROR_SUCCESS) {
        const rt::UniqueKey owner(key);
        ::RegDeleteValueW(key, kLogValue);
        ::RegDeleteValueW(key, kTimeValue);
        ::RegDeleteValueW(key, kMinutesValue);
        ::RegDeleteKeyW(key, kBootMarker);
    }
    ScheduledTasks tasks;
    tasks.ReloadTasks();
    for (const std::wstring& name : tasks.Names()) {
        if (_wcsicmp(name.c_str(), TaskName().c_str()) == 0) tasks.RemoveTask(name);
    }
}

BootCheckRecord ReadBootCheck() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProgramKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return {};
    const rt::UniqueKey owner(key);
    wchar_t path[1024] = {};
    DWORD type = 0, size = sizeof path - sizeof(wchar_t);
    if (::RegQueryValueExW(key, kLogValue, nullptr, &type, reinterpret_cast<BYTE*>(path), &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return {};
    }
    DWORD madeAt = 0, timeSize = sizeof madeAt;
    if (::RegQueryValueExW(key, kTimeValue, nullptr, &type, reinterpret_cast<BYTE*>(&madeAt), &timeSize) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || timeSize != sizeof madeAt) {
        return {};
    }
    DWORD minutes = 0, minutesSize = sizeof minutes;
    if (::RegQueryValueExW(key, kMinutesValue, nullptr, &type, reinterpret_cast<BYTE*>(&minutes), &minutesSize) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || minutesSize != sizeof minutes || minutes > 0x7fffffff) {
        minutes = 0;
    }
    HKEY marker = nullptr;
    const LSTATUS open = ::RegOpenKeyExW(key, kBootMarker, 0, KEY_READ, &marker);
    const rt::UniqueKey markerOwner(open == ERROR_SUCCESS ? marker : nullptr);
    // Only "not there" is a boot; a marker that cannot be read says nothing.
    return {true, rt::ToUtf8(path), static_cast<std::int64_t>(madeAt), open == ERROR_FILE_NOT_FOUND,
            static_cast<std::int32_t>(minutes)};
}

std::int64_t UtcSecondsNow() {
    FILETIME ft{};
    ::GetSystemTimeAsFileTime(&ft);
    const std::int64_t ticks = static_cast<std::int64_t>((ULONGLONG{ft.dwHighDateTime} << 32) | ft.dwLowDateTime);
    return ticks / 10000000 - 11644473600LL;  // 100 ns since 1601 to seconds since 1970
}
