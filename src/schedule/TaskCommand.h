// The scheduling verbs' work against Task Scheduler, for the command line:
// no window, nothing restarted.
#pragma once

#include <string>
#include <utility>

#include "schedule/ScheduledTasks.h"
#include "schedule/TaskVerbs.h"

// The program file every task of this program runs.
inline constexpr wchar_t kProgramFile[] = L"OrvaneScheduledRestart.exe";
// Whether a task's application is this program (by its file name, in any
// folder and any case).
bool IsProgramsTask(const std::wstring& applicationName);

// What to print, and the exit code: 0 done; 1 bad arguments or a refusal,
// with the reason; 2 Task Scheduler failed, with its error text.
struct VerbResult {
    VerbResult(int code = 0, std::wstring said = {}) : exitCode(code), text(std::move(said)) {}
    int exitCode = 0;
    std::wstring text;   // lines ending in "\r\n"
    std::wstring notes;  // for the standard error: tasks left out, and why
};
VerbResult RunTaskVerb(const TaskVerb& verb);
