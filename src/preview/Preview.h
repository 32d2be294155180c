// "/Preview": what a run of an action would do, step by step, and whether
// this server can do it tonight. The plan comes from the real sequences run
// against a host that records instead of acting; the server's state is only
// read. Portable core.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/WindowStyle.h"
#include "host/RestartHost.h"

// What a preview reads of the server. Nothing here changes anything; every
// answer that could not be read carries the reason in its text.
struct GatewayFacts {
    bool registered = false;
    std::string serverFile;  // the registered server's file, as registered
    bool serverFileExists = false;
    std::string error;       // the registry could not be read
};
struct LogFolderFacts {
    std::string folder;
    bool writable = false;
    std::string why;         // not writable: the reason
    int purgeCount = 0;      // logs the next run's purge deletes
};
struct LockFacts {
    bool held = false;
    std::string error;       // could not be told
};

class ServerReader {
public:
    virtual ~ServerReader() = default;
    virtual std::string Text(int stringId) = 0;
    virtual std::string ProgramFolder() = 0;
    virtual std::string DriveOf(const std::string& path) = 0;
    virtual std::string ProductRootPath() = 0;
    virtual ServiceState QueryService(const std::string& name) = 0;
    // "automatic", "manual", "disabled", ...; or why it cannot be read.
    virtual std::string StartType(const std::string& name) = 0;
    virtual StoredNumber VerifySecondsSetting() = 0;
    virtual StoredNumber RebootMinutesSetting() = 0;
    virtual std::string FolderWriters() = 0;
    // Where a run started from the program folder finds this program file
    // (a bare name, searched as CreateProcess searches) or this path; empty
    // when it finds none.
    virtual std::string FindProgram(const std::string& nameOrPath) = 0;
    virtual GatewayFacts Gateway() = 0;
    virtual LogFolderFacts LogFolder() = 0;
    virtual LockFacts Lock() = 0;
    // Empty when Task Scheduler answers, else its error text.
    virtual std::string TaskSchedulerError() = 0;
    // "The next run will be skipped, ..."; empty when no skip holds.
    virtual std::string PendingSkipText() = 0;
};

inline constexpr std::int32_t kNoWait = -2;  // a program started and not waited for

struct PlanEntry {
    enum Kind { Countdown, Lock, OpenLog, Line, Command, Pause, Folder, Event, Gateway, Check, BootCheck, End };
    PlanEntry(Kind k, std::string t = {}, std::int32_t m = 0) : kind(k), text(std::move(t)), ms(m) {}
    Kind kind;
    std::string text;        // line, command, folder, gateway member, event text
    std::int32_t ms = 0;     // countdown, time-out (kWaitForever, kNoWait), pause, check bound
    WindowStyle style = vbHide;
    int number = 0;          // event number; reboot minutes; exit code
    std::vector<std::string> services;  // the check's
};

struct Plan {
    std::vector<PlanEntry> entries;
    std::vector<std::string> runErrors;  // what the run itself would report (error event 5)
};

// Runs the countdown of the action (RestartAction codes; services for a
// bounce) against the recording host until the run would end.
Plan RecordPlan(ServerReader& reader, std::int16_t action, const std::vector<std::string>& services);

// The worst case: countdowns, time-outs, pauses and the check's bound, in
// milliseconds, and how many commands wait without a time-out.
struct WorstCase {
    std::int64_t ms = 0;
    int unbounded = 0;
};
WorstCase WorstCaseOf(const Plan& plan);

// The server now, as far as the plan touches it.
struct ServiceFacts {
    std::string name;
    ServiceState state;
    std::string startType;
    bool startedByName = false;
};
struct ProgramFacts {
    std::string name;   // as the plan starts it
    std::string found;  // where; empty: not found
};
struct ServerFacts {
    std::vector<ServiceFacts> services;
    std::vector<ProgramFacts> programs;
    bool usesGateway = false;
    GatewayFacts gateway;
    LogFolderFacts logs;
    std::string folder, folderWriters;
    LockFacts lock;
    bool needsTaskScheduler = false;
    std::string taskSchedulerError;
};
ServerFacts ReadServerFacts(ServerReader& reader, const Plan& plan);

// One line per problem that would make the night fail; none: ready.
std::vector<std::string> Problems(ServerReader& reader, const Plan& plan, const ServerFacts& facts);

// The whole preview as text lines: the plan, the server now, the verdict.
// Exit code 0 when ready, 2 when not.
struct PreviewReport {
    std::vector<std::string> lines;
    int exitCode = 0;
};
PreviewReport MakePreview(ServerReader& reader, const std::string& actionLine, std::int16_t action,
                          const std::vector<std::string>& services);

// A localised text with %1, %2, ... filled in (one pass: a value that holds
// "%1" stays as it is).
std::string Fill(const std::string& text, const std::vector<std::string>& values);
