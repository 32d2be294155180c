// The check after a restart or a bounce: do the services the action started
// by name report "running" to the service manager? Polled about once a
// second up to a bound (VerifySeconds, default 300; 0 switches it off).
// Portable core.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/RestartHost.h"

inline constexpr std::int32_t kDefaultVerifySeconds = 300;
inline constexpr std::int32_t kMaxVerifySeconds = 3600;
// How long after reboot.bat the boot must have come (RebootMinutes).
inline constexpr std::int32_t kDefaultRebootMinutes = 30;
inline constexpr std::int32_t kMaxRebootMinutes = 1440;

// A stored DWORD bound within [min, max], else the default and one log line
// naming the value.
struct BoundRule {
    const char* value;
    const char* unit;
    std::int32_t min, max, fallback;
};
inline constexpr BoundRule kVerifySecondsRule{"VerifySeconds", "seconds", 0, kMaxVerifySeconds, kDefaultVerifySeconds};
inline constexpr BoundRule kRebootMinutesRule{"RebootMinutes", "minutes", 1, kMaxRebootMinutes, kDefaultRebootMinutes};
std::int32_t Bounded(const StoredNumber& stored, const BoundRule& rule);
std::int32_t BoundOrDefault(RunLog& host, const StoredNumber& stored, const BoundRule& rule);

class Verification {
public:
    explicit Verification(CheckHost& host) : host_(host) {}

    // Before the action's first step: reads the bound (a value that is not a
    // DWORD, or over an hour, gives the default and one log line) and, when
    // the check is on, what the service manager says of every service the
    // action touches.
    void Prepare(const std::vector<std::string>& touched);
    bool On() const { return seconds_ > 0; }
    std::int32_t Seconds() const { return seconds_; }
    // The next Check looks once and does not wait.
    void LookOnce() { seconds_ = 0; }

    // After the action's last step, before the log is closed: waits for the
    // started services, then says the outcome in the log and the event log
    // (a service not running is a failure: error event 5, exit code 2), and
    // names, as information, the touched services that were running before
    // and are not now. A service this server does not have is named once and
    // neither waited for nor counted.
    // always: look at least once even when the bound is 0 ("/Verify").
    void Check(const std::vector<std::string>& started, bool always = false);

private:
    CheckHost& host_;
    std::int32_t seconds_ = kDefaultVerifySeconds;
    std::vector<std::string> touched_;
    std::vector<bool> runningBefore_;
};

// The service a "Net Stop X" / "Net Start X" command names; empty otherwise.
std::string ServiceOfCommand(const std::string& command);
