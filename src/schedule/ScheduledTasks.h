// The system's scheduled tasks, over Task Scheduler 1.0 (mstask): the one
// interface every supported Windows has. Plain values in and out: names come
// without ".job", schedules as DailySchedule. Every failure is a ProgramError
// whose description is the system's text.
#pragma once

#include <windows.h>
#include <mstask.h>
#include <wrl/client.h>

#include <optional>
#include <string>
#include <vector>

#include "schedule/TaskRules.h"

enum class TriggerKind { Daily, AtBoot, Once, Other };

// One schedule entry of a task, as read.
struct TriggerInfo {
    TriggerKind kind = TriggerKind::Other;
    DailySchedule schedule;  // begin date and start time; everyDays for a daily one
    std::wstring systemText;  // the system's own description, empty where it has none
};

// Empty, or any name of the local system account (S-1-5-18) in this
// Windows's language, or its SID as text.
bool IsLocalSystemAccount(const std::wstring& account);

// The date and time of a SYSTEMTIME as a schedule (every day).
DailySchedule DailyScheduleAt(const SYSTEMTIME& t);

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
    // Flags as a new task has them (none), before the switch is set.
    void ClearFlags();
    // The task's own switch; its other flags are kept.
    bool Enabled() const;
    void SetEnabled(bool enabled);
    // Zero dates: never ran / no next run (a disabled task has none).
    SYSTEMTIME LastRunTime() const;
    SYSTEMTIME NextRunTime() const;
    // The most recent run's exit code, or the error of a start that failed.
    TaskResult LastResult() const;

    std::vector<TriggerInfo> Triggers() const;
    // The first trigger becomes this daily one (a new trigger when there is none).
    void SetDailySchedule(const DailySchedule& schedule);
    // Only the first trigger is kept.
    void KeepFirstTriggerOnly();
    // A new trigger that fires when the system starts, from the given day on.
    void AddBootTrigger(const DailySchedule& from);
    // A new trigger that fires once, at the schedule's date and time.
    void AddOnceTrigger(const DailySchedule& at);

    // The account the task runs as; empty means the local system account,
    // nothing means the system would not say (Wine never does).
    std::optional<std::wstring> AccountName() const;
    void SetAccount(const std::wstring& account, const std::wstring& password);

    void Save();

private:
    std::wstring name_;
    Microsoft::WRL::ComPtr<ITask> task_;
};

class ScheduledTasks {
public:
    // This computer's Task Scheduler, or another's ("NAME" or "\\NAME");
    // throws when it cannot be reached.
    explicit ScheduledTasks(const std::wstring& computer = {});

    void ReloadTasks();
    const std::vector<std::wstring>& Names() const { return names_; }  // enumeration order

    // A new task, not in the system before its Save. Refuses names Task
    // Scheduler cannot store and names already in the system.
    ScheduledTask AddTask(const std::wstring& name);
    ScheduledTask GetTask(const std::wstring& name) const;
    void RemoveTask(const std::wstring& name);

private:
    Microsoft::WRL::ComPtr<ITaskScheduler> scheduler_;
    std::vector<std::wstring> names_;
};
