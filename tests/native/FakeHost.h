// A recording host with a virtual clock for the restart sequences: no real
// waits; every line, event, command and pause in order and in time.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/ActionValues.h"
#include "core/ProgramError.h"
#include "restart/RestartSequences.h"
#include "verify/BootVerdict.h"

struct Command {
    std::string line;
    int style;
    std::int32_t timeout;  // 0: never waited on
    long startedAt;
    bool finished = false;
};

class FakeHost : public RestartHost {
public:
    FakeHost() { TheRunOutcome = {}; }  // process-wide, like the real run's
    long now = 0;  // virtual milliseconds since the window loaded
    std::vector<std::string> lines;     // the run log's texts
    std::vector<long> lineTimes;        // and when each was written
    std::vector<std::string> events;    // "6:PmSyncSvr", "5:text"
    std::vector<Command> commands;
    std::vector<long> pauses;
    std::vector<std::string> calls;     // gateway, labels, timer, folders, end
    std::map<std::string, long> durations;  // command prefix -> run time (ms)
    std::vector<std::string> unstartable;   // command prefixes
    std::int32_t gatewayStatus = 32;
    bool gatewayMissing = false, timerEnabled = false, logClosed = false;
    std::string rootPath = "C:\\Program Files\\Pellmark\\";
    std::function<void()> onLog;  // e.g. a Cancel click handled while a line is written
    int exitCode = -1;
    // Services: every one runs until a "Net Stop" names it and again from
    // its "Net Start" (plus its delay; -1: never), unless it cannot be asked.
    StoredNumber verifySetting{true, true, 0};  // the check is off unless a test turns it on
    std::map<std::string, long> startDelay;
    std::vector<std::string> unqueryable, uninstalled, pending;  // pending: "start pending" while not running
    std::map<std::string, long> runningFrom;  // absent: running; -1: stopped
    std::map<std::string, std::string> dependsOn;  // a start starts it first, as Windows does
    bool runLocked = false;
    BootCheckRecord bootRecord;  // what a reboot run left for "/Verify"
    bool bootCheckFails = false;
    std::int32_t scheduledMinutes = 0;  // the bound the boot check was scheduled with
    StoredNumber rebootMinutes;
    std::int64_t utcAtLoad = 1796600000;
    std::string folderWriters;  // who besides administrators may change the program folder

    std::int32_t Start(const std::string& line, WindowStyle style) override {
        for (const auto& bad : unstartable) {
            if (line.rfind(bad, 0) == 0) throw ProgramError(53, "File not found");
        }
        if (const std::string name = ServiceOfCommand(line); !name.empty()) {
            const bool start = line.size() > 6 && (line[6] == 'a' || line[6] == 'A');  // "Net St(a)rt" / "Net St(o)p"
            const long delay = startDelay.count(name) ? startDelay[name] : 0;
            runningFrom[name] = start && delay >= 0 ? now + delay : -1;
            if (start && dependsOn.count(name)) {
                const auto dep = runningFrom.find(dependsOn[name]);
                if (dep != runningFrom.end() && dep->second < 0) dep->second = now;
            }
        }
        commands.push_back({line, style, 0, now});
        return static_cast<std::int32_t>(commands.size());
    }
    bool Wait(std::int32_t pid, std::int32_t timeout) override {
        Command& c = commands.at(static_cast<std::size_t>(pid - 1));
        c.timeout = timeout;
        long runs = 50;
        for (const auto& [prefix, ms] : durations) runs = c.line.rfind(prefix, 0) == 0 ? ms : runs;
        const long left = std::max(0L, runs - (now - c.startedAt));
        if (timeout >= 0 && left > timeout) {
            now += timeout;
            return false;
        }
        now += left;
        return c.finished = true;
    }
    void Pause(std::int32_t ms) override { pauses.push_back(ms); now += ms; }
    void SetCurrentDrive(const std::string& d) override { calls.push_back("drive " + d); }
    void SetCurrentFolder(const std::string& f) override { calls.push_back("folder " + f); }
    std::string ProgramFolder() override { return "C:\\Program Files\\Orvane Restart"; }
    std::string DriveOf(const std::string& p) override { return p.substr(0, 2); }
    std::string ProductRootPath() override { return rootPath; }
    void Log(const std::string& text) override {
        lines.push_back(text);
        lineTimes.push_back(now);
        if (onLog) std::exchange(onLog, nullptr)();
    }
    void CloseLog() override { logClosed = true; calls.push_back("close log"); }
    void InfoEvent(int n, const std::string& name) override {
        events.push_back(std::to_string(n) + (name.empty() ? "" : ":" + name));
    }
    void ErrorEvent(const std::string& text) override { events.push_back("5:" + text); }
    std::string Text(int id) override { return "<" + std::to_string(id) + ">"; }
    void SetStatus(const std::string& t) override { calls.push_back("status " + t); }
    void SetSeconds(const std::string& t) override { calls.push_back("seconds " + t); }
    void RepaintStatus() override {}
    void RepaintSeconds() override {}
    void SetTimerEnabled(bool on) override { timerEnabled = on; calls.push_back(on ? "timer on" : "timer off"); }
    void GatewayCreate() override {
        if (gatewayMissing) throw ProgramError(429, "ActiveX component can't create object");
        calls.push_back("gateway create");
    }
    std::int32_t GatewayLastStatus() override { return Gateway("LastStatus"), gatewayStatus; }
    void GatewayStopTr() override { Gateway("StopTr"); }
    void GatewayStartTr() override { Gateway("StartTr"); }
    void Gateway(const std::string& member) {
        if (gatewayMissing) throw ProgramError(91, "Object variable or With block variable not set");
        calls.push_back("gateway " + member);
    }
    ServiceState QueryService(const std::string& name) override {
        if (std::count(uninstalled.begin(), uninstalled.end(), name)) return {ServiceState::NotInstalled, "not installed"};
        if (std::find(unqueryable.begin(), unqueryable.end(), name) != unqueryable.end()) {
            return {ServiceState::Unknown, "cannot query: The specified service does not exist as an installed service."};
        }
        const auto at = runningFrom.find(name);
        const bool running = at == runningFrom.end() || (at->second >= 0 && at->second <= now);
        const bool starting = std::find(pending.begin(), pending.end(), name) != pending.end();
        return running ? ServiceState{ServiceState::Running, "running"}
                       : ServiceState{ServiceState::NotRunning, starting ? "start pending" : "stopped"};
    }
    StoredNumber VerifySecondsSetting() override { return verifySetting; }
    StoredNumber RebootMinutesSetting() override { return rebootMinutes; }
    std::int64_t NowMs() override { return now; }
    std::string ClaimRun() override { return calls.push_back("claim"), runLocked ? "another restart run is in progress" : ""; }
    std::string FolderWriters() override { return folderWriters; }
    void ScheduleBootCheck(std::int32_t minutes) override {
        if (bootCheckFails) throw ProgramError(0x80041315L, "The Task Scheduler service is not running.");
        calls.push_back("boot check scheduled");
        scheduledMinutes = minutes;
        bootRecord = {true, "C:\\Program Files\\Orvane Restart\\logs\\run.TXT", NowUtcSeconds(), false, minutes};
    }
    void DeleteBootCheck() override {
        calls.push_back("boot check deleted");
        bootRecord = {};
    }
    BootCheckRecord ReadBootCheck() override { return bootRecord; }
    std::int64_t NowUtcSeconds() override { return utcAtLoad + now / 1000; }
    void OpenRunLog(const std::string& recorded) override { calls.push_back("open log " + recorded); }
    // The skip, the cancel and the notices.
    SkipRecord skip;
    bool skipStays = false;               // the key cannot be changed
    std::vector<RunState> published;
    std::string cancelRequest;            // what a "/Cancel" left
    std::vector<Session> sessions;
    std::string sessionsError;
    std::vector<std::uint32_t> unreachable;  // sessions a notice cannot reach
    struct Notice {
        std::uint32_t session;
        std::string title, text;
        std::int32_t seconds;
        long at;
    };
    std::vector<Notice> notices;
    SkipRecord ReadSkip() override { return skip; }
    bool ClearSkip(std::string& error) override {
        if (skipStays) return error = "Access is denied.", false;
        skip = {};
        calls.push_back("skip cleared");
        return true;
    }
    void PublishRunState(const RunState& state) override { published.push_back(state); }
    std::string CancelRequestText() override { return cancelRequest; }
    std::string RunIdentity() override { return "run-1"; }
    std::vector<Session> OtherSessions(std::string& error) override { return error = sessionsError, sessions; }
    bool SendNotice(std::uint32_t session, const std::string& title, const std::string& text, std::int32_t seconds,
                    std::string& error) override {
        if (std::count(unreachable.begin(), unreachable.end(), session)) return error = "The RPC server is unavailable.", false;
        notices.push_back({session, title, text, seconds, now});
        return true;
    }
    std::string LocalTimeText(std::int64_t utc) override { return "T" + std::to_string(utc); }
    void EndProcess(int code) override { End("end process", code); }
    void EndProgram(int code) override { End("end program", code); }
    void End(const std::string& how, int code) {
        calls.push_back(how);
        exitCode = code;
        throw ProcessEnded{};
    }

    long Count(const std::string& call) const { return std::count(calls.begin(), calls.end(), call); }
    long TimeOf(const std::string& text) const {
        const auto at = std::find(lines.begin(), lines.end(), text);
        return at == lines.end() ? -1 : lineTimes[static_cast<std::size_t>(at - lines.begin())];
    }
};

// Loads the countdown and ticks once a (virtual) second until the program
// ends; false when it never does.
inline bool RunToEnd(FakeHost& host, RestartCountdown& countdown, int maxTicks = 100) {
    try {
        countdown.Start();  // a skipped run ends here
        for (int i = 0; i < maxTicks && host.timerEnabled; ++i) {
            host.now += 1000;
            countdown.Tick();
        }
    } catch (const ProcessEnded&) {
        return true;
    }
    return false;
}
