// What the restart sequences need from the machine, as an interface, so that
// the sequences stay in the portable core and run under a virtual clock in
// tests. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/WindowStyle.h"
#include "runcontrol/RunControl.h"

// Thrown by a host whose EndProcess must return (tests); never caught by the
// sequences' step handling.
struct ProcessEnded {};

// What the service manager says of a service: running, another state
// ("stopped", "start pending"), not installed on this server, or why it
// could not be asked.
struct ServiceState {
    enum Kind { Running, NotRunning, NotInstalled, Unknown } kind = Unknown;
    std::string text;
};

// What a reboot run recorded for the check after the boot.
struct BootCheckRecord {
    bool present = false;
    std::string logPath;
    std::int64_t madeAt = 0;   // UTC seconds since 1970
    bool bootCame = false;     // the marker written with it, which a boot clears, is gone
    std::int32_t minutes = 0;  // the bound the reboot started with; 0: not recorded
};

// A DWORD registry value as stored: missing, of another type, or its number.
struct StoredNumber {
    bool present = false;
    bool isNumber = false;
    std::uint32_t value = 0;
};

// The roles the machine plays for a run. Each part of the run takes the
// roles it uses (the combinations below); the real host and the recording
// ones play them all, as a RestartHost.

// The run log, the event log and the string table.
class RunLog {
public:
    virtual ~RunLog() = default;
    // One timestamped line; closing.
    virtual void Log(const std::string& text) = 0;
    virtual void CloseLog() = 0;
    // Opens the run log: the recorded one for appending when it is a run log
    // in the program's logs folder and still there, else a new one.
    virtual void OpenRunLog(const std::string& recordedPath) = 0;
    // Event log: information events 1-4, 6-12, error event 5.
    virtual void InfoEvent(int number, const std::string& serviceName = {}) = 0;
    virtual void ErrorEvent(const std::string& text) = 0;
    virtual std::string Text(int stringId) = 0;
};

// Pauses (the window still paints) and the clocks: milliseconds that only
// move forward, and the wall clock (for bounds and times shown only).
class Clock {
public:
    virtual ~Clock() = default;
    virtual void Pause(std::int32_t milliseconds) = 0;
    virtual std::int64_t NowMs() = 0;
    virtual std::int64_t NowUtcSeconds() = 0;
};

// Programs started and waited for, from the program's folder or another.
class Commands {
public:
    virtual ~Commands() = default;
    // Start throws ProgramError when the program cannot be started.
    virtual std::int32_t Start(const std::string& commandLine, WindowStyle windowStyle) = 0;
    virtual bool Wait(std::int32_t processId, std::int32_t timeoutMs) = 0;
    virtual void SetCurrentDrive(const std::string& drive) = 0;
    virtual void SetCurrentFolder(const std::string& folder) = 0;
    virtual std::string ProgramFolder() = 0;
    virtual std::string DriveOf(const std::string& path) = 0;
    // "Root Path" of the product; empty when missing.
    virtual std::string ProductRootPath() = 0;
};

// The restart window: its status line, its number of seconds, its timer.
class CountdownWindow {
public:
    virtual ~CountdownWindow() = default;
    virtual void SetStatus(const std::string& text) = 0;
    virtual void SetSeconds(const std::string& text) = 0;
    virtual void RepaintStatus() = 0;
    virtual void RepaintSeconds() = 0;
    virtual void SetTimerEnabled(bool enabled) = 0;
};

// The product's gateway control object, created anew for each use.
class GatewayObject {
public:
    virtual ~GatewayObject() = default;
    virtual void GatewayCreate() = 0;
    virtual std::int32_t GatewayLastStatus() = 0;
    virtual void GatewayStopTr() = 0;
    virtual void GatewayStartTr() = 0;
};

// The service manager's word on a service now (never throws), and the
// program's bounds as stored.
class ServiceStates {
public:
    virtual ~ServiceStates() = default;
    virtual ServiceState QueryService(const std::string& name) = 0;
    virtual StoredNumber VerifySecondsSetting() = 0;
    virtual StoredNumber RebootMinutesSetting() = 0;
    // The check is about to wait up to `seconds` for these services (a
    // preview records it; a run has nothing to do).
    virtual void CheckBegins(std::int32_t /*seconds*/, const std::vector<std::string>& /*services*/) {}
};

// The check after a reboot: the record of this run's log and time, then a
// task that runs "/Verify" at the next start-up and once more when the
// reboot is rebootMinutes overdue (Schedule throws with the reason, and
// leaves neither behind); deleting both (nothing when there are none);
// reading the record (not present when a value is missing or of the wrong
// type).
class BootCheckStore {
public:
    virtual ~BootCheckStore() = default;
    virtual void ScheduleBootCheck(std::int32_t rebootMinutes) = 0;
    virtual void DeleteBootCheck() = 0;
    virtual BootCheckRecord ReadBootCheck() = 0;
};

// One restart run at a time, from a folder only administrators may change.
class RunGuard {
public:
    virtual ~RunGuard() = default;
    // Holds the machine-wide lock until the process ends; empty when held,
    // else why not ("another restart run is in progress").
    virtual std::string ClaimRun() = 0;
    // Who besides administrators may change the program folder (empty:
    // nobody), as names for a log line.
    virtual std::string FolderWriters() = 0;
};

// Ends the process at once (the log is already closed) / in the orderly
// way, with the run's exit code.
class RunEnd {
public:
    virtual ~RunEnd() = default;
    virtual void EndProcess(int exitCode) = 0;
    virtual void EndProgram(int exitCode) = 0;
};

// What each part takes.
// The check after an action.
class CheckHost : public virtual RunLog, public virtual Clock, public virtual CountdownWindow,
                  public virtual ServiceStates {};
// A run's start: the lock, the log, the folder warning.
class RunStartHost : public virtual RunLog, public virtual RunGuard, public virtual RunEnd,
                     public virtual Commands {};
// "/Verify" after a reboot.
class BootCheckHost : public virtual CheckHost, public virtual RunStartHost, public virtual BootCheckStore {};
// The skip, the notice and the cancel.
class NightHost : public virtual RunLog, public virtual Clock, public virtual RunEnd, public virtual RunControlHost {};

// The whole run: the sequences and the countdown.
class RestartHost : public virtual BootCheckHost, public virtual NightHost, public virtual GatewayObject {};
