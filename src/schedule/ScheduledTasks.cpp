#include "schedule/ScheduledTasks.h"

#include <objbase.h>
#include <sddl.h>

#include "core/ProgramError.h"
#include "runtime/ComLibrary.h"
#include "runtime/Text.h"

using Microsoft::WRL::ComPtr;

#ifdef __MINGW32__
// MinGW's mstask.h names no interface identifier for __uuidof.
__CRT_UUID_DECL(ITaskScheduler, 0x148BD527, 0xA2AB, 0x11CE, 0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03)
#endif

namespace {

void Check(HRESULT hr) {
    if (FAILED(hr)) throw ProgramError(static_cast<long>(hr), rt::ToUtf8(rt::SystemErrorText(static_cast<DWORD>(hr))));
}

// Strings the task scheduler hands out belong to the caller.
std::wstring Take(LPWSTR text) {
    std::wstring s = text ? text : L"";
    rt::ComFree(text);
    return s;
}

TASK_TRIGGER Read(ITaskTrigger& trigger) {
    TASK_TRIGGER data{};
    data.cbTriggerSize = sizeof data;
    Check(trigger.GetTrigger(&data));
    return data;
}

void Write(ITaskTrigger& trigger, TASK_TRIGGER data) {
    // CreateTrigger hands out a disabled trigger, which never fires whatever
    // the task's flags say: the task's own flag is the one switch.
    data.rgFlags &= ~static_cast<DWORD>(TASK_TRIGGER_FLAG_DISABLED);
    Check(trigger.SetTrigger(&data));
}

void SetBegin(TASK_TRIGGER& data, const DailySchedule& s) {
    data.wBeginYear = static_cast<WORD>(s.year);
    data.wBeginMonth = static_cast<WORD>(s.month);
    data.wBeginDay = static_cast<WORD>(s.day);
    data.wStartHour = static_cast<WORD>(s.hour);
    data.wStartMinute = static_cast<WORD>(s.minute);
}

TriggerInfo InfoOf(ITaskTrigger& trigger) {
    const TASK_TRIGGER data = Read(trigger);
    TriggerInfo info;
    info.kind = data.TriggerType == TASK_TIME_TRIGGER_DAILY           ? TriggerKind::Daily
                : data.TriggerType == TASK_EVENT_TRIGGER_AT_SYSTEMSTART ? TriggerKind::AtBoot
                : data.TriggerType == TASK_TIME_TRIGGER_ONCE            ? TriggerKind::Once
                                                                        : TriggerKind::Other;
    info.schedule = {data.wBeginYear, data.wBeginMonth, data.wBeginDay, data.wStartHour, data.wStartMinute,
                     info.kind == TriggerKind::Daily ? data.Type.Daily.DaysInterval : 0};
    LPWSTR text = nullptr;
    // Missing on some systems (Wine answers E_NOTIMPL).
    if (SUCCEEDED(trigger.GetTriggerString(&text))) info.systemText = Take(text);
    return info;
}

}  // namespace

DailySchedule DailyScheduleAt(const SYSTEMTIME& t) { return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, 1}; }

bool IsLocalSystemAccount(const std::wstring& account) {
    if (account.empty()) return true;
    BYTE sid[SECURITY_MAX_SID_SIZE] = {};
    PSID converted = nullptr;
    if (account.rfind(L"S-1-", 0) == 0 && ::ConvertStringSidToSidW(account.c_str(), &converted)) {
        const bool system = ::IsWellKnownSid(converted, WinLocalSystemSid);
        ::LocalFree(converted);
        return system;
    }
    wchar_t domain[256] = {};
    DWORD sidSize = sizeof sid, domainSize = 256;
    SID_NAME_USE use{};
    return ::LookupAccountNameW(nullptr, account.c_str(), sid, &sidSize, domain, &domainSize, &use) &&
           ::IsWellKnownSid(sid, WinLocalSystemSid);
}

// ---- ScheduledTask --------------------------------------------------------------

ScheduledTask::ScheduledTask(std::wstring name, ComPtr<ITask> task) : name_(std::move(name)), task_(std::move(task)) {}

std::wstring ScheduledTask::ApplicationName() const {
    LPWSTR s = nullptr;
    Check(task_->GetApplicationName(&s));
    return Take(s);
}

void ScheduledTask::SetApplicationName(const std::wstring& path) { Check(task_->SetApplicationName(path.c_str())); }

std::wstring ScheduledTask::CommandLine() const {
    LPWSTR s = nullptr;
    Check(task_->GetParameters(&s));
    return Take(s);
}

void ScheduledTask::SetCommandLine(const std::wstring& arguments) { Check(task_->SetParameters(arguments.c_str())); }

std::wstring ScheduledTask::Creator() const {
    LPWSTR s = nullptr;
    Check(task_->GetCreator(&s));
    return Take(s);
}

void ScheduledTask::SetCreator(const std::wstring& creator) { Check(task_->SetCreator(creator.c_str())); }

void ScheduledTask::SetWorkingDirectory(const std::wstring& folder) {
    Check(task_->SetWorkingDirectory(folder.c_str()));
}

bool ScheduledTask::Enabled() const {
    DWORD flags = 0;
    Check(task_->GetFlags(&flags));
    return (flags & TASK_FLAG_DISABLED) == 0;
}

void ScheduledTask::SetEnabled(bool enabled) {
    DWORD flags = 0;
    Check(task_->GetFlags(&flags));
    Check(task_->SetFlags(enabled ? flags & ~static_cast<DWORD>(TASK_FLAG_DISABLED) : flags | TASK_FLAG_DISABLED));
}

SYSTEMTIME ScheduledTask::LastRunTime() const {
    SYSTEMTIME t{};
    if (task_->GetMostRecentRunTime(&t) != S_OK) t = SYSTEMTIME{};
    return t;
}

TaskResult ScheduledTask::LastResult() const {
    TaskResult result;
    DWORD code = 0;
    const HRESULT hr = task_->GetExitCode(&code);
    // A failed start (the program missing, a logon failure) is the answer
    // itself, not a failure to read it.
    if (FAILED(hr)) {
        result.hr = hr;
        return result;
    }
    // Never run: said by either call (a task file made by the API may give
    // its exit code 0 and a zero last run time).
    SYSTEMTIME last{};
    const HRESULT ran = task_->GetMostRecentRunTime(&last);
    if (hr == SCHED_S_TASK_HAS_NOT_RUN || ran == SCHED_S_TASK_HAS_NOT_RUN || (ran == S_OK && last.wYear == 0)) {
        return result;
    }
    result.hr = S_OK;
    result.exitCode = code;
    return result;
}

void ScheduledTask::KeepFirstTriggerOnly() {
    WORD count = 0;
    Check(task_->GetTriggerCount(&count));
    while (count > 1) Check(task_->DeleteTrigger(--count));
}

void ScheduledTask::ClearFlags() { Check(task_->SetFlags(0)); }

SYSTEMTIME ScheduledTask::NextRunTime() const {
    SYSTEMTIME t{};
    if (task_->GetNextRunTime(&t) != S_OK) t = SYSTEMTIME{};
    return t;
}

std::vector<TriggerInfo> ScheduledTask::Triggers() const {
    WORD count = 0;
    Check(task_->GetTriggerCount(&count));
    std::vector<TriggerInfo> triggers;
    for (WORD i = 0; i < count; ++i) {
        ComPtr<ITaskTrigger> t;
        Check(task_->GetTrigger(i, &t));
        triggers.push_back(InfoOf(*t.Get()));
    }
    return triggers;
}

void ScheduledTask::SetDailySchedule(const DailySchedule& schedule) {
    WORD count = 0, index = 0;
    Check(task_->GetTriggerCount(&count));
    ComPtr<ITaskTrigger> t;
    Check(count ? task_->GetTrigger(0, &t) : task_->CreateTrigger(&index, &t));
    TASK_TRIGGER data = Read(*t.Get());
    data.TriggerType = TASK_TIME_TRIGGER_DAILY;
    SetBegin(data, schedule);
    data.Type.Daily.DaysInterval = static_cast<WORD>(schedule.everyDays > 0 ? schedule.everyDays : 1);
    Write(*t.Get(), data);
}

namespace {
void AddTrigger(ITask& task, TASK_TRIGGER_TYPE type, const DailySchedule& begin) {
    WORD index = 0;
    ComPtr<ITaskTrigger> t;
    Check(task.CreateTrigger(&index, &t));
    TASK_TRIGGER data = Read(*t.Get());
    data.TriggerType = type;
    SetBegin(data, begin);
    Write(*t.Get(), data);
}
}  // namespace

void ScheduledTask::AddBootTrigger(const DailySchedule& from) {
    AddTrigger(*task_.Get(), TASK_EVENT_TRIGGER_AT_SYSTEMSTART, from);
}

void ScheduledTask::AddOnceTrigger(const DailySchedule& at) { AddTrigger(*task_.Get(), TASK_TIME_TRIGGER_ONCE, at); }

std::optional<std::wstring> ScheduledTask::AccountName() const {
    LPWSTR s = nullptr;
    if (FAILED(task_->GetAccountInformation(&s))) return std::nullopt;
    const std::wstring account = Take(s);
    // Some Windows versions name the local system account instead of
    // leaving it empty, in their own language ("NT-AUTORITÄT\\SYSTEM").
    if (IsLocalSystemAccount(account)) return std::wstring();
    return std::optional<std::wstring>(account);
}

void ScheduledTask::SetAccount(const std::wstring& account, const std::wstring& password) {
    // An empty name is the local system account, which takes no password.
    Check(task_->SetAccountInformation(account.c_str(), account.empty() ? nullptr : password.c_str()));
}

void ScheduledTask::Save() {
    ComPtr<IPersistFile> file;
    Check(task_.As(&file));
    Check(file->Save(nullptr, TRUE));
}

// ---- ScheduledTasks ---------------------------------------------------------------

ScheduledTasks::ScheduledTasks(const std::wstring& computer) {
    rt::EnsureOle();
    Check(rt::ComCreate(CLSID_CTaskScheduler, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&scheduler_)));
    if (!computer.empty()) {
        // "\\NAME", as Task Scheduler wants it.
        const std::wstring target = computer.compare(0, 2, L"\\\\") == 0 ? computer : L"\\\\" + computer;
        Check(scheduler_->SetTargetComputer(target.c_str()));
    }
}

void ScheduledTasks::ReloadTasks() {
    names_.clear();
    ComPtr<IEnumWorkItems> items;
    Check(scheduler_->Enum(&items));
    for (;;) {
        LPWSTR* batch = nullptr;
        ULONG fetched = 0;
        const HRESULT hr = items->Next(16, &batch, &fetched);
        for (ULONG i = 0; i < fetched; ++i) {
            std::wstring name = Take(batch[i]);
            // The scheduler enumerates file names: "Name.job".
            if (name.size() > 4 && _wcsicmp(name.c_str() + name.size() - 4, L".job") == 0) name.resize(name.size() - 4);
            names_.push_back(std::move(name));
        }
        rt::ComFree(batch);
        if (hr != S_OK || fetched == 0) break;
    }
}

ScheduledTask ScheduledTasks::AddTask(const std::wstring& name) {
    const std::wstring valid = ValidTaskName(name);
    if (valid.empty()) throw ProgramError(kErrInvalidName, "Task Scheduler cannot store this name");
    // Some schedulers hand out the existing task for a taken name: refuse it
    // as Windows does.
    ComPtr<IUnknown> existing;
    if (SUCCEEDED(scheduler_->Activate(valid.c_str(), IID_ITask, &existing))) {
        throw ProgramError(static_cast<long>(HRESULT_FROM_WIN32(ERROR_FILE_EXISTS)),
                           rt::ToUtf8(rt::SystemErrorText(ERROR_FILE_EXISTS)));
    }
    ComPtr<ITask> task;
    Check(scheduler_->NewWorkItem(valid.c_str(), CLSID_CTask, IID_ITask,
                                  reinterpret_cast<IUnknown**>(task.GetAddressOf())));
    ScheduledTask created(valid, task);
    // The program needs administrator rights: by default the task runs as
    // the local system account, whether or not anyone is logged on.
    created.SetAccount(L"", L"");
    return created;
}

ScheduledTask ScheduledTasks::GetTask(const std::wstring& name) const {
    ComPtr<ITask> task;
    Check(scheduler_->Activate(name.c_str(), IID_ITask, reinterpret_cast<IUnknown**>(task.GetAddressOf())));
    return ScheduledTask(name, task);
}

void ScheduledTasks::RemoveTask(const std::wstring& name) { Check(scheduler_->Delete(name.c_str())); }
