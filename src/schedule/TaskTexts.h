// How the task windows show a task's times and schedule, in the user's
// language and formats.
#pragma once

#include <windows.h>

#include <string>

#include "schedule/ScheduledTasks.h"

// The system's description where it has one, else our own.
std::wstring TriggerText(const TriggerInfo& trigger);

// Each trigger's text on a line of its own.
std::wstring TriggerLines(const std::vector<TriggerInfo>& triggers);

// "HH:MM:SS DD-MMM-YYYY" with the month's abbreviation in the user's language.
std::wstring TaskDateTimeText(const SYSTEMTIME& when);
