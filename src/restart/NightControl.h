// What "/Cancel", "/Skip" and the run's notices need of Windows: the skip in
// the program's key, the run's state and the cancel request beside the run
// lock (a folder only administrators may change), the sessions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runcontrol/RunControl.h"

// The skip, in the program's own registry view of HKLM: SkipBy (text) and
// SkipAt (UTC seconds). Clearing a skip that is not there succeeds.
SkipRecord ReadSkipRecord();
bool WriteSkipRecord(const SkipRecord& skip, std::string& error);
bool ClearSkipRecord(std::string& error);

// This process, once: its identifier and the moment it began.
std::string ThisRunIdentity();
// The run's state for "/Cancel", and the request a "/Cancel" left (which the
// run reads, and removes once taken or stale).
bool WriteRunState(const RunState& state, std::string& error);
std::string ReadCancelRequestText();
void RemoveCancelRequest();

// Every active session besides this process's own; a notice nobody waits for.
std::vector<Session> OtherActiveSessions(std::string& error);
bool SendSessionNotice(std::uint32_t session, const std::string& title, const std::string& text,
                       std::int32_t seconds, std::string& error);

// "2026-12-08 03:15:20", local time.
std::string LocalTimeOf(std::int64_t utcSeconds);

// The verbs: what they print and their exit codes.
struct ControlResult {
    std::wstring text;
    int exitCode = 1;
};
ControlResult RunCancel();
ControlResult RunSkip(bool on);
