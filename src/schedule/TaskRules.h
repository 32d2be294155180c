// Rules of the scheduled tasks that need no Windows: which names Task
// Scheduler can store, the property dialog's fields, what OK does with the
// account a task runs as, and which schedules the dialog may edit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

inline constexpr std::size_t kMaxTaskNameLength = 200;
inline constexpr int kMaxDaysInterval = 365;

// The task of the check after a reboot: made and deleted by the runs only.
inline constexpr const char* kBootCheckTask = "OrvaneScheduledRestart verification";
// That name, in any letter case: no task of an administrator's may take it,
// or the next reboot's check would replace it.
bool IsReservedTaskName(const std::wstring& name);

// The name with blanks trimmed, or empty when Task Scheduler cannot store it
// (empty, longer than kMaxTaskNameLength, any of \ / : * ? " < > | or a
// control character, a trailing dot, or a device name such as CON or COM1).
std::wstring ValidTaskName(const std::wstring& name);

// A daily schedule: from the begin date, at the start time, every N days.
struct DailySchedule {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0;
    int everyDays = 1;
    bool operator==(const DailySchedule&) const = default;
};

// The dialog's fields, in plain forms that read the same in every language:
// "HH:MM", "YYYY-MM-DD" (1601 to 9999, a real calendar day) and a day count
// from 1 to kMaxDaysInterval. A parse sets only its own part, and only when
// the whole text is valid.
bool ParseTaskTime(const std::wstring& text, DailySchedule& into);
bool ParseTaskDate(const std::wstring& text, DailySchedule& into);
bool ParseDaysInterval(const std::wstring& text, DailySchedule& into);
std::wstring TaskTimeField(const DailySchedule& s);
std::wstring TaskDateField(const DailySchedule& s);

// The dialog's account options; None when the stored account could not be
// read and the administrator has not picked one.
enum class AccountChoice { None, System, Named };
enum class AccountAction { Keep, SetSystem, SetNamed };

// stored: the account as read (empty: the local system account), nothing
// when the system would not say. Only a change the administrator made
// reaches the task: an unread account, or a named one whose password was not
// typed again, keeps its stored credentials.
AccountAction AccountOnOk(const std::optional<std::wstring>& stored, AccountChoice choice,
                          const std::wstring& typedName, bool passwordTyped);

// The string that tells the administrator what OK will do.
int AccountNoteId(AccountAction action);

// The dialog edits one daily trigger; anything else it shows and keeps.
bool ScheduleEditable(unsigned triggerCount, bool firstIsDaily);

// A task's last result as Task Scheduler 1.0 gives it: the HRESULT that
// GetExitCode returned, and the exit code. A start that failed (a missing
// program, a logon failure) comes back as that failure's HRESULT.
inline constexpr std::int32_t kTaskHasNotRun = 0x00041303;  // SCHED_S_TASK_HAS_NOT_RUN
struct TaskResult {
    std::int32_t hr = kTaskHasNotRun;
    std::uint32_t exitCode = 0;
    bool Ran() const { return hr != kTaskHasNotRun; }
};
// "Has not run"; the program's own exit codes with their meaning; any other
// exit code in hexadecimal; or "could not start: " with the system's text
// and the code in hexadecimal. Texts by string id, and the system's text of
// an error, come from the caller.
std::wstring LastResultText(const TaskResult& result, const std::function<std::wstring(int)>& text,
                            const std::function<std::wstring(std::uint32_t)>& systemText);
