// The Task Scheduler task and the registry record behind "/Verify" after a
// reboot (values BootCheckLog and BootCheckTime beside VerifySeconds).
#pragma once

#include <cstdint>
#include <string>

#include "restart/RestartHost.h"

// Replaces any earlier check: one task at system start-up, enabled, as the
// local system account, running this program with "/Verify" from its
// folder; then the record of the log and the time. Throws ProgramError.
void ScheduleBootCheck(const std::wstring& logPath);
// Both, whichever are there; throws when the task could not be deleted.
void DeleteBootCheck();
BootCheckRecord ReadBootCheck();
// Seconds since 1970, UTC: the record's clock.
std::int64_t UtcSecondsNow();
