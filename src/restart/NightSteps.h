// The restart run's own steps for the people on the server: the skip at its
// start, the notice when a countdown begins, a "/Cancel" taken at a tick.
// Portable core, over the restart host.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/RestartHost.h"
#include "runcontrol/RunControl.h"

// At the start of a run (the lock taken, the log open): a skip that holds is
// used up and ends the run here, touching nothing (true; the host's end may
// return in tests). A skip that expired, cannot be read or is from the
// future is dropped with one log line, and the run goes on.
bool EndIfSkipped(NightHost& host);

// When a countdown of `seconds` begins: a notice to every other active
// session, never waited for; one log line per session told, or one that
// says why nobody was.
void TellPeople(NightHost& host, NoticeKind kind, const std::vector<std::string>& services, std::int32_t seconds);
// The notice as it is sent.
std::string NoticeTextOf(NightHost& host, NoticeKind kind, const std::vector<std::string>& services,
                         std::int64_t atUtc);

// Who sent a "/Cancel" to this run; empty when nobody did.
std::string CancelRequestFor(NightHost& host);
