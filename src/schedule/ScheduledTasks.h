// The system's scheduled tasks, over Task Scheduler 1.0 (mstask): the one
// interface every supported Windows has. Names come without ".job". Every
// failure is a ProgramError whose description is the system's text.
#pragma once

#include <windows.h>
#include <mstask.h>
#include <wrl/client.h>

#include <optional>
#include <string>
#include <vector>

inline constexpr DWORD kTaskFlagDisabled = TASK_FLAG_DISABLED;  // 4
inline constexpr int kTriggerDaily = TASK_TIME_TRIGGER_DAILY;   // 1

// One schedule entry of a task.
class TaskTrigger {
public:
    explicit TaskTrigger(Microsoft::WRL::ComPtr<ITaskTrigger> trigger);
    void SetTriggerType(int type);
    void SetBeginDay(const SYSTEMTIME& day);
    void SetStartTime(const SYSTEMTIME& time);
    void SetDaysInterval(WORD days);
    int TriggerType() const;
    SYSTEMTIME BeginDay() const;
    SYSTEMTIME StartTime() const;
    WORD DaysInterval() const;
    DWORD Flags() const { return data_.rgFlags; }
    // The system's description where it has one, else our own, in the
    // user's language and time format.
    std::wstring Text() const;

private:
    void Apply();
    Microsoft::WRL::ComPtr<ITaskTrigger> trigger_;
    TASK_TRIGGER data_{};
};

class ScheduledTask {
public:
    ScheduledTask(std::wstring name, Microsoft::WRL::ComPtr<ITask> task);

    const std::wstring& name() const { return name_; }
    std::wstring ApplicationName() const;
    void SetApplicationName(const std::wstring& path);
    std::wstring CommandLine() const;
    void SetCommandLine(const std::wstring& arguments);
    std::wstring Creator() const;
    void SetCreator(const std::wstring& creator);
    void SetWorkingDirectory(const std::wstring& folder);
    DWORD Flags() const;
    void SetFlags(DWORD flags);
    // Zero dates: never ran / no next run (a disabled task has none).
    SYSTEMTIME LastRunTime() const;
    SYSTEMTIME NextRunTime() const;

    std::vector<TaskTrigger> Triggers() const;
    TaskTrigger AddTrigger();  // the Part's Triggers.Add

    // The account the task runs as; empty means the local system account,
    // nothing means the system would not say (Wine never does).
    std::optional<std::wstring> AccountName() const;
    void SetAccount(const std::wstring& account, const std::wstring& password);

    void Save();
    // Our property dialog (time, interval, begin date, enabled, account),
    // owned by owner; saves through this object on OK. True when the
    // administrator chose OK.
    bool ShowProperties(HWND owner);

private:
    std::wstring name_;
    Microsoft::WRL::ComPtr<ITask> task_;
};

class ScheduledTasks {
public:
    ScheduledTasks();  // throws when Task Scheduler cannot be reached

    void ReloadTasks();
    const std::vector<std::wstring>& Names() const { return names_; }  // enumeration order
    std::size_t Count() const { return names_.size(); }

    // A new task, not in the system before its Save. Refuses names Task
    // Scheduler cannot store and names already in the system.
    ScheduledTask AddTask(const std::wstring& name);
    ScheduledTask GetTask(int position) const;  // from 1, in enumeration order
    ScheduledTask GetTask(const std::wstring& name) const;
    void RemoveTask(const std::wstring& name);

private:
    Microsoft::WRL::ComPtr<ITaskScheduler> scheduler_;
    std::vector<std::wstring> names_;
};

inline constexpr std::size_t kMaxTaskNameLength = 200;

// The name with blanks trimmed, or empty when Task Scheduler cannot store it
// (empty, longer than kMaxTaskNameLength, or any of \ / : * ? " < > |).
std::wstring ValidTaskName(const std::wstring& name);

// "HH:MM:SS DD-MMM-YYYY" with the month's abbreviation in the user's language.
std::wstring TaskDateTimeText(const SYSTEMTIME& when);
