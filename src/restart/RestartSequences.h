// The three restart actions and the countdown that leads to them, as fixed
// sequences over a RestartHost. Portable core.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/WindowStyle.h"
#include "host/RestartHost.h"
#include "host/TickStep.h"
#include "verify/OneRun.h"
#include "verify/Verification.h"
#include "schedule/TaskRules.h"

inline constexpr std::int32_t kWaitForever = -1;

class Verification;

// The start-up and the bounce end with the check when one is given. The
// bounce's services: their names, in order (none: nothing to bounce).
void RunShutdown(RestartHost& host);
void RunStartup(RestartHost& host, Verification* verification = nullptr);
void RunReboot(RestartHost& host);
void RunBounce(RestartHost& host, const std::vector<std::string>& services, Verification* verification = nullptr);

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
