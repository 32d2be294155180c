// How the task windows show a task's times and schedule, in the user's
// language and formats.
#pragma once

#include <windows.h>

#include <string>

#include "runtime/App.h"
#include "schedule/ScheduledTasks.h"

// The system's description where it has one, else our own.
std::wstring TriggerText(const TriggerInfo& trigger);

// Each trigger's text on a line of its own.
std::wstring TriggerLines(const std::vector<TriggerInfo>& triggers);

// Every mark in the text replaced by the value, once.
std::wstring Replace(std::wstring text, const std::wstring& mark, const std::wstring& value);
// A task that runs as the local system account starts what lies in its
// program's folder (this copy's by default): true when only administrators
// may change it, else a message that names the folder and what to do, and false.
bool ProgramFolderSafeOrSay(const std::wstring& folder = rt::App().path);
// A task's last result with its meaning, in the user's language.
std::wstring LastResultText(const TaskResult& result);
// "HH:MM:SS DD-MMM-YYYY" with the month's abbreviation in the user's language.
std::wstring TaskDateTimeText(const SYSTEMTIME& when);
