// "/Verify", the check after a reboot: what a reboot run's record means now,
// and the check that follows. Portable core.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/RestartHost.h"

// "/Verify": with a record of a reboot run, the verdict on that reboot
// (the boot came: the check; not yet: a check now that leaves the record;
// overdue: a failure); without one, a check now, of the start-up's
// services. Ends the process with 0 or 2.
void RunBootCheck(BootCheckHost& host, const std::vector<std::string>& startupServices);

// What a reboot's record means now. Whether a boot came is the boot's own
// word (the marker it clears), never a clock; the wall clock only says
// whether the bound stored with the record has passed.
enum class BootVerdict { Booted, NotYet, Overdue };
BootVerdict BootVerdictOf(const BootCheckRecord& record, std::int64_t nowUtc, std::int32_t minutes);
// When the boot check's task fires once more if no boot came: trigger times
// have whole minutes, so the first whole minute past the bound (seconds of
// any one clock, counted from a whole minute).
std::int64_t OverdueCheckAt(std::int64_t madeAt, std::int32_t minutes);
