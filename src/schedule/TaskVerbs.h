// The scheduling verbs of the command line: "/Schedule", "/Unschedule" and
// "/Tasks", which make, delete and list the program's tasks without a window
// and without restarting anything. Portable core.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/ActionValues.h"
#include "schedule/TaskRules.h"

struct TaskVerb {
    enum Kind { None, Schedule, Unschedule, Tasks } kind = None;
    std::wstring error;        // bad arguments: why (exit code 1)
    std::wstring name;         // as Task Scheduler stores it; empty with `all`
    bool all = false;          // "/Unschedule:*"
    ActionRequest action;      // "/Schedule"
    DailySchedule schedule;    // "/At", "/EveryDays", "/From" (no date: 0)
    std::wstring computer;     // "/Computer": empty for this one
    std::wstring programPath;  // "/ProgramPath": empty for this program's own
};

// What a refused line prints after its reason.
extern const wchar_t kTaskVerbUsage[];

// The whole line, strictly: one verb, each argument at most once, nothing
// unknown; every value checked before anything is made.
TaskVerb ParseTaskVerb(std::wstring_view arguments);

// The arguments as the C runtime splits them: blanks part words, quotes
// group and are dropped.
std::vector<std::wstring> SplitArguments(std::wstring_view line);

// The installer's schedule properties (SCHEDULE_NAME, SCHEDULE_ACTION,
// SCHEDULE_TIME, SCHEDULE_DAYS), each taken as a value on its own, never as
// arguments, then the "/Schedule" line they make, which must say exactly
// those values; or the reason one is refused.
struct PropertyLine {
    std::wstring line, error;
};
PropertyLine ScheduleLineOfProperties(const std::wstring& name, const std::wstring& action, const std::wstring& time,
                                      const std::wstring& days);

// A task's program path without the quotes schtasks /TR may store, and the
// folder it lies in: "D:\" for "D:\OrvaneScheduledRestart.exe", never "D:".
std::wstring UnquotedPath(const std::wstring& path);
std::wstring FolderOfProgram(const std::wstring& path);

// Whether a "/Computer" name is this computer, by any of its names (given:
// its NetBIOS name, its DNS host name and its full DNS name), "localhost",
// ".", "127.0.0.1" or "::1", with or without "\\", in any case.
bool NamesThisComputer(const std::wstring& computer, const std::vector<std::wstring>& ownNames);
