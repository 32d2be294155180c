#include "schedule/ScheduledTasks.h"

#include <objbase.h>

#include <cstdio>

#include "localize/RestartResCONST.h"
#include "localize/modLocalize.h"
#include "core/ProgramError.h"
#include "schedule/frmTaskProperties.h"
#include "runtime/Text.h"

using Microsoft::WRL::ComPtr;

namespace {

void Check(HRESULT hr) {
    if (FAILED(hr)) throw ProgramError(static_cast<long>(hr), rt::ToUtf8(rt::SystemErrorText(static_cast<DWORD>(hr))));
}

// Strings the task scheduler hands out belong to the caller.
std::wstring Take(LPWSTR text) {
    std::wstring s = text ? text : L"";
    if (text) ::CoTaskMemFree(text);
    return s;
}

std::wstring TimeText(const SYSTEMTIME& t, DWORD flags, const wchar_t* format = nullptr) {
    wchar_t buffer[128] = {};
    ::GetTimeFormatW(LOCALE_USER_DEFAULT, flags, &t, format, buffer, 128);
    return buffer;
}

std::wstring DateText(const SYSTEMTIME& t, DWORD flags, const wchar_t* format = nullptr) {
    wchar_t buffer[128] = {};
    ::GetDateFormatW(LOCALE_USER_DEFAULT, flags, &t, format, buffer, 128);
    return buffer;
}

std::wstring Replace(std::wstring text, const std::wstring& mark, const std::wstring& value) {
    for (std::size_t at; (at = text.find(mark)) != std::wstring::npos;) text.replace(at, mark.size(), value);
    return text;
}

bool IsZero(const SYSTEMTIME& t) { return t.wYear == 0 && t.wMonth == 0 && t.wDay == 0; }

}  // namespace

std::wstring ValidTaskName(const std::wstring& name) {
    const std::size_t first = name.find_first_not_of(L' ');
    if (first == std::wstring::npos) return {};
    const std::wstring trimmed = name.substr(first, name.find_last_not_of(L' ') - first + 1);
    if (trimmed.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos) return {};
    // Stored as "%windir%\\Tasks\\<name>.job": the path must stay within
    // MAX_PATH (some schedulers fail badly beyond it).
    if (trimmed.size() > kMaxTaskNameLength) return {};
    return trimmed;
}

std::wstring TaskDateTimeText(const SYSTEMTIME& when) {
    // A date the scheduler does not have (a task that never ran) is shown as
    // the zero date of the date type the display comes from.
    SYSTEMTIME t = when;
    if (IsZero(t)) t = SYSTEMTIME{1899, 12, 6, 30, 0, 0, 0, 0};
    return TimeText(t, 0, L"HH':'mm':'ss") + L" " + DateText(t, 0, L"dd'-'MMM'-'yyyy");
}

// ---- TaskTrigger --------------------------------------------------------------

TaskTrigger::TaskTrigger(ComPtr<ITaskTrigger> trigger) : trigger_(std::move(trigger)) {
    data_.cbTriggerSize = sizeof data_;
    Check(trigger_->GetTrigger(&data_));
}

void TaskTrigger::Apply() {
    // CreateTrigger hands out a disabled trigger, which never fires whatever
    // the task's flags say: the task's own flag is the one switch.
    data_.rgFlags &= ~static_cast<DWORD>(TASK_TRIGGER_FLAG_DISABLED);
    Check(trigger_->SetTrigger(&data_));
}

void TaskTrigger::SetTriggerType(int type) {
    data_.TriggerType = static_cast<TASK_TRIGGER_TYPE>(type);
    if (type == kTriggerDaily && data_.Type.Daily.DaysInterval == 0) data_.Type.Daily.DaysInterval = 1;
    Apply();
}

void TaskTrigger::SetBeginDay(const SYSTEMTIME& day) {
    data_.wBeginYear = day.wYear;
    data_.wBeginMonth = day.wMonth;
    data_.wBeginDay = day.wDay;
    Apply();
}

void TaskTrigger::SetStartTime(const SYSTEMTIME& time) {
    data_.wStartHour = time.wHour;
    data_.wStartMinute = time.wMinute;
    Apply();
}

void TaskTrigger::SetDaysInterval(WORD days) {
    data_.Type.Daily.DaysInterval = days ? days : 1;
    Apply();
}

int TaskTrigger::TriggerType() const { return static_cast<int>(data_.TriggerType); }

SYSTEMTIME TaskTrigger::BeginDay() const {
    SYSTEMTIME t{};
    t.wYear = data_.wBeginYear;
    t.wMonth = data_.wBeginMonth;
    t.wDay = data_.wBeginDay;
    return t;
}

SYSTEMTIME TaskTrigger::StartTime() const {
    SYSTEMTIME t = BeginDay();
    t.wHour = data_.wStartHour;
    t.wMinute = data_.wStartMinute;
    return t;
}

WORD TaskTrigger::DaysInterval() const {
    return data_.TriggerType == TASK_TIME_TRIGGER_DAILY ? data_.Type.Daily.DaysInterval : 0;
}

std::wstring TaskTrigger::Text() const {
    LPWSTR system = nullptr;
    // Missing on some systems (Wine answers E_NOTIMPL): then our own words.
    if (SUCCEEDED(trigger_->GetTriggerString(&system)) && system) return Take(system);
    const SYSTEMTIME start = StartTime();
    std::wstring text;
    if (data_.TriggerType == TASK_TIME_TRIGGER_DAILY && DaysInterval() == 1) {
        text = mymyLoadString(IDS_TRIGGER_DAILY);
    } else if (data_.TriggerType == TASK_TIME_TRIGGER_DAILY) {
        text = mymyLoadString(IDS_TRIGGER_EVERY_N_DAYS);
    } else {
        text = mymyLoadString(IDS_TRIGGER_OTHER);
    }
    text = Replace(text, L"%1", TimeText(start, TIME_NOSECONDS));
    text = Replace(text, L"%2", DateText(start, DATE_SHORTDATE));
    return Replace(text, L"%3", std::to_wstring(DaysInterval()));
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

DWORD ScheduledTask::Flags() const {
    DWORD flags = 0;
    Check(task_->GetFlags(&flags));
    return flags;
}

void ScheduledTask::SetFlags(DWORD flags) { Check(task_->SetFlags(flags)); }

SYSTEMTIME ScheduledTask::LastRunTime() const {
    SYSTEMTIME t{};
    if (task_->GetMostRecentRunTime(&t) != S_OK) t = SYSTEMTIME{};
    return t;
}

SYSTEMTIME ScheduledTask::NextRunTime() const {
    SYSTEMTIME t{};
    if (task_->GetNextRunTime(&t) != S_OK) t = SYSTEMTIME{};
    return t;
}

std::vector<TaskTrigger> ScheduledTask::Triggers() const {
    WORD count = 0;
    Check(task_->GetTriggerCount(&count));
    std::vector<TaskTrigger> triggers;
    for (WORD i = 0; i < count; ++i) {
        ComPtr<ITaskTrigger> t;
        Check(task_->GetTrigger(i, &t));
        triggers.emplace_back(t);
    }
    return triggers;
}

TaskTrigger ScheduledTask::AddTrigger() {
    WORD index = 0;
    ComPtr<ITaskTrigger> t;
    Check(task_->CreateTrigger(&index, &t));
    return TaskTrigger(t);
}

std::optional<std::wstring> ScheduledTask::AccountName() const {
    LPWSTR s = nullptr;
    if (FAILED(task_->GetAccountInformation(&s))) return std::nullopt;
    const std::wstring account = Take(s);
    // Some Windows versions name the local system account instead of
    // leaving it empty.
    for (const wchar_t* system : {L"SYSTEM", L"NT AUTHORITY\\SYSTEM"}) {
        if (_wcsicmp(account.c_str(), system) == 0) return {};
    }
    return std::optional<std::wstring>(account);
}

void ScheduledTask::SetAccount(const std::wstring& account, const std::wstring& password) {
    // An empty name is the local system account, which takes no password.
    Check(task_->SetAccountInformation(account.c_str(), account.empty() ? nullptr : password.c_str()));
}

bool ScheduledTask::ShowProperties(HWND owner) {
    frmTaskProperties dialog(*this);
    dialog.Show(rt::ShowMode::Modal, owner);
    return dialog.Saved();
}

void ScheduledTask::Save() {
    ComPtr<IPersistFile> file;
    Check(task_->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.GetAddressOf())));
    Check(file->Save(nullptr, TRUE));
}

// ---- ScheduledTasks ---------------------------------------------------------------

ScheduledTasks::ScheduledTasks() {
    Check(::CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                             reinterpret_cast<void**>(scheduler_.GetAddressOf())));
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
        if (batch) ::CoTaskMemFree(batch);
        if (hr != S_OK || fetched == 0) break;
    }
}

ScheduledTask ScheduledTasks::AddTask(const std::wstring& name) {
    const std::wstring valid = ValidTaskName(name);
    if (valid.empty()) throw ProgramError(kErrInvalidName, rt::ToUtf8(mymyLoadString(IDS_INVALID_TASK_NAME)));
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

ScheduledTask ScheduledTasks::GetTask(int position) const {
    if (position < 1 || static_cast<std::size_t>(position) > names_.size()) {
        throw ProgramError(kErrSubscriptOutOfRange, "Subscript out of range");
    }
    return GetTask(names_[static_cast<std::size_t>(position - 1)]);
}

ScheduledTask ScheduledTasks::GetTask(const std::wstring& name) const {
    ComPtr<ITask> task;
    Check(scheduler_->Activate(name.c_str(), IID_ITask, reinterpret_cast<IUnknown**>(task.GetAddressOf())));
    return ScheduledTask(name, task);
}

void ScheduledTasks::RemoveTask(const std::wstring& name) { Check(scheduler_->Delete(name.c_str())); }
