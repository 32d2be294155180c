// What a run owes the people on the server and what they may ask of it: a
// notice when a countdown begins, "/Cancel" of a run still counting down,
// and "/Skip" of the next run, for one night at most. Portable core.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// ---- The skip ---------------------------------------------------------------

// A skip as stored: none, one that cannot be read, or who asked and when.
struct SkipRecord {
    enum State { None, Unreadable, Set } state = None;
    std::string by;
    std::int64_t at = 0;  // UTC seconds since 1970
    // Who besides administrators may change the key it lies in (empty: nobody).
    std::string keyWriters;
};
inline constexpr std::int64_t kSkipHoldsSeconds = 24 * 60 * 60;
// A little clock difference between two processes is no "future".
inline constexpr std::int64_t kSkipClockSlackSeconds = 120;

enum class SkipVerdict { None, SkipThisRun, Expired, Unreadable, FromTheFuture, Untrusted };
SkipVerdict SkipVerdictOf(const SkipRecord& record, std::int64_t nowUtc);

// ---- The cancel --------------------------------------------------------------

// Where a run stands, as it tells a "/Cancel" from another process.
enum class RunPhase { Counting, RebootCounting, ShuttingDown, Cancelled };
struct RunState {
    RunPhase phase = RunPhase::Counting;
    std::string run;  // this run, once: its process and the moment it began
    std::string by;   // Cancelled: who sent "/Cancel"
};
std::string RunStateText(const RunState& state);
std::optional<RunState> ParseRunState(std::string_view text);

// A "/Cancel" request names the run it was sent to, so that one sent to an
// earlier run (or before any) never stops a later one.
struct CancelRequest {
    std::string run;
    std::string by;
};
std::string CancelRequestText(const CancelRequest& request);
std::optional<CancelRequest> ParseCancelRequest(std::string_view text);
// Who asked this run to stop; empty when no request names it.
std::string CancelRequestedBy(std::string_view requestText, const std::string& run);

// What "/Cancel" answers, from what it saw of the run.
enum class CancelAnswer {
    NoRun,            // no run holds the lock: 2
    Refused,          // the request could not be written (not an administrator): 2
    TooLate,          // the shut-down has begun, the run goes on: 2
    NoAnswer,         // the run did not take the request in time; withdrawn: 2
    Cancelled,        // 0
    CancelledStopped  // the reboot's countdown: 0, and the product stays down
};
int ExitCodeOf(CancelAnswer answer);
// What "/Cancel" prints for it (reason: why it was refused).
std::string CancelAnswerText(CancelAnswer answer, const std::string& reason = {});
inline constexpr char kRunControlUsage[] =
    "Usage: OrvaneScheduledRestart.exe /Cancel | /Skip | /Skip:Off\r\n"
    "  /Cancel    stops a restart run on this server that is still counting down\r\n"
    "  /Skip      the next restart run on this server ends at its start (within 24 hours)\r\n"
    "  /Skip:Off  withdraws the skip\r\n"
    "Nothing was run.\r\n";
// Before the request: whether there is a run that a request can stop (the
// answer when not).
std::optional<CancelAnswer> BeforeRequest(bool lockHeld, const std::optional<RunState>& state);
// After it, while waiting: the answer once the run's state or the lock says
// it, nothing while the run has not yet taken the request.
std::optional<CancelAnswer> AfterRequest(const std::string& run, RunPhase phaseAsked, bool lockHeld,
                                         const std::optional<RunState>& state);

// ---- The notice --------------------------------------------------------------

struct Session {
    std::uint32_t id = 0;
    std::string user;  // "DOMAIN\user"; empty when nobody is logged on
};

// The sessions a notice goes to, of all the server lists: the active ones
// (someone at the console or connected), the program's own left out.
struct SessionSeen {
    std::uint32_t id = 0;
    bool active = false;
    std::string user;
};
std::vector<Session> SessionsToTell(const std::vector<SessionSeen>& all, std::uint32_t own);

// What the notice announces. A bounce names its services.
enum class NoticeKind { Restart, Reboot, RebootNow, Bounce };

// Sessions and notices, as the restart run sees them.
class RunControlHost {
public:
    virtual ~RunControlHost() = default;
    // The skip, in the program's key: read, and used up (false: could not).
    virtual SkipRecord ReadSkip() = 0;
    virtual bool ClearSkip(std::string& error) = 0;
    // The cancel: this run's state for "/Cancel" to read, and the request a
    // "/Cancel" left (empty: none).
    virtual void PublishRunState(const RunState& state) = 0;
    virtual std::string CancelRequestText() = 0;
    virtual std::string RunIdentity() = 0;
    // Every active session besides the program's own (error: why none could
    // be listed); a notice that nobody waits for, shown for `seconds`.
    virtual std::vector<Session> OtherSessions(std::string& error) = 0;
    virtual bool SendNotice(std::uint32_t session, const std::string& title, const std::string& text,
                            std::int32_t seconds, std::string& error) = 0;
    // Local time of a UTC moment, "2026-12-08 03:15:20".
    virtual std::string LocalTimeText(std::int64_t utcSeconds) = 0;
};

