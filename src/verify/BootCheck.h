// The Task Scheduler task and the registry record behind "/Verify" after a
// reboot (values BootCheckLog and BootCheckTime beside VerifySeconds).
#pragma once

#include <cstdint>
#include <string>

#include "host/RestartHost.h"

// Replaces any earlier check: the record of the log and the time, then one
// task, enabled, as the local system account, running this program with
// "/Verify" from its folder at system start-up and once rebootMinutes (plus
// one) from now. Throws ProgramError, and then leaves neither behind.
void ScheduleBootCheck(const std::wstring& logPath, std::int32_t rebootMinutes);
// Both, whichever are there; throws when the task could not be deleted.
void DeleteBootCheck();
BootCheckRecord ReadBootCheck();
// A file with one name, not a link or reparse point: safe to append to.
bool IsPlainFile(const std::wstring& path);
// Seconds since 1970, UTC: the record's clock.
std::int64_t UtcSecondsNow();
