// The three restart actions and the countdown that leads to them, as fixed
// sequences over a RestartHost. Portable core.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/WindowStyle.h"
#include "restart/RestartHost.h"
#include "restart/TickStep.h"
#include "restart/Verification.h"
#include "schedule/TaskRules.h"

inline constexpr std::int32_t kWaitForever = -1;

class Verification;

// The start-up and the bounce end with the check when one is given. The
// bounce's services: their names, in order (none: nothing to bounce).
void RunShutdown(RestartHost& host);
void RunStartup(RestartHost& host, Verification* verification = nullptr);
void RunReboot(RestartHost& host);
void RunBounce(RestartHost& host, const std::vector<std::string>& services, Verification* verification = nullptr);

// "/Verify": with a record of a reboot run, the verdict on that reboot
// (the boot came: the check; not yet: a check now that leaves the record;
// overdue: a failure); without one, a check now. Ends the process with 0 or 2.
void RunBootCheck(RestartHost& host);

// What a reboot's record means now. Whether a boot came is the boot's own
// word (the marker it clears), never a clock; the wall clock only says
// whether the bound stored with the record has passed.
enum class BootVerdict { Booted, NotYet, Overdue };
BootVerdict BootVerdictOf(const BootCheckRecord& record, std::int64_t nowUtc, std::int32_t minutes);
// When the boot check's task fires once more if no boot came: trigger times
// have whole minutes, so the first whole minute past the bound (seconds of
// any one clock, counted from a whole minute).
std::int64_t OverdueCheckAt(std::int64_t madeAt, std::int32_t minutes);

// Takes the run lock, then opens the run log (recordedLog, or a new one when
// empty) and warns of a program folder users may change. Refused: a new log
// of its own with the reason, error event 5 and the end of the process
// (false where the host's end returns).
bool ClaimRunThenOpenLog(RestartHost& host, const std::string& recordedLog);
// "the program folder <folder> can be changed by <writers>, ...", and the
// warning line every run from such a folder writes.
std::string FolderWarning(RestartHost& host, const std::string& writers);
void WarnIfFolderUnsafe(RestartHost& host);

// The services the product start-up starts by name, and every service the
// shut-down and the start-up touch, from the sequences' own commands.
std::vector<std::string> StartupServices();
std::vector<std::string> RestartServices();

// The countdown window's logic: load, one-second ticks, Cancel.
class RestartCountdown {
public:
    // services: the bounce's, in order (see BounceServices).
    RestartCountdown(RestartHost& host, std::int16_t restartAction, std::vector<std::string> services)
        : host_(host), action_(restartAction), services_(std::move(services)) {}

    // Takes the run lock and opens the run log, then status line, counter,
    // timer on; or, while another restart run is in progress, one line in a
    // log of its own, error event 5 and the end, with no service touched.
    void Start();
    // One timer tick. A tick that arrives while an action runs (the action
    // pumps events as it logs and waits) is ignored.
    void Tick();
    void Cancel();
    // A "/Cancel" from another process, taken at a tick of a countdown: as
    // Cancel, with one more line naming who sent it.
    void CancelByRequest(const std::string& by);

    std::int16_t SecondsLeft() const { return secondsLeft_; }
    bool ShutdownPending() const { return shutdownPending_; }

private:
    RestartHost& host_;
    std::int16_t action_;
    std::vector<std::string> services_;
    Verification verification_{host_};
    std::int16_t secondsLeft_ = 20;
    bool shutdownPending_ = true;
    bool ticking_ = false;
    void Publish(RunPhase phase, const std::string& by = {});
    void Stop(const std::string& by);
};

// The commands a whole "/Restart" runs and waits on, in order, as the
// sequences above run them (for the benchmark's batch-file twin).
struct PlannedCommand {
    std::string command;
    WindowStyle style;
    std::int32_t timeoutMs;
};
std::vector<PlannedCommand> RestartCommands();
