// The restart actions over a recording host with a virtual clock: no real
// waits, every line, event, command and pause in order and in time.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "localize/RestartResCONST.h"
#include "restart/RestartSequences.h"
#include "core/ProgramError.h"
#include "core/ActionValues.h"

namespace {

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
    // Virtual milliseconds since the window loaded.
    long now = 0;
    std::vector<std::string> log;       // "t|text"
    std::vector<std::string> lines;     // text only
    std::vector<std::string> events;    // "6:PmSyncSvr", "5:text"
    std::vector<Command> commands;
    std::vector<long> pauses;
    std::vector<std::string> calls;     // gateway, labels, timer, folders, end
    std::map<std::string, long> durations;  // command prefix -> run time (ms)
    std::vector<std::string> unstartable;   // command prefixes
    std::int32_t gatewayStatus = 32;
    bool gatewayMissing = false;
    bool timerEnabled = false;
    bool logClosed = false;
    std::string rootPath = "C:\\Program Files\\Pellmark\\";
    std::function<void()> onLog;  // e.g. a Cancel click handled while a line is written

    std::int32_t Start(const std::string& line, int style) override {
        for (const auto& bad : unstartable) {
            if (line.rfind(bad, 0) == 0) throw ProgramError(53, "File not found");
        }
        commands.push_back({line, style, 0, now});
        return static_cast<std::int32_t>(commands.size());
    }
    bool Wait(std::int32_t pid, std::int32_t timeout) override {
        Command& c = commands.at(static_cast<std::size_t>(pid - 1));
        c.timeout = timeout;
        long runs = 50;
        for (const auto& [prefix, ms] : durations) {
            if (c.line.rfind(prefix, 0) == 0) runs = ms;
        }
        const long elapsed = now - c.startedAt;
        const long left = std::max(0L, runs - elapsed);
        if (timeout >= 0 && left > timeout) {
            now += timeout;
            return false;
        }
        now += left;
        c.finished = true;
        return true;
    }
    void Pause(std::int32_t ms) override {
        pauses.push_back(ms);
        now += ms;
    }
    void SetCurrentDrive(const std::string& d) override { calls.push_back("drive " + d); }
    void SetCurrentFolder(const std::string& f) override { calls.push_back("folder " + f); }
    std::string ProgramFolder() override { return "C:\\Program Files\\Orvane Restart"; }
    std::string DriveOf(const std::string& p) override { return p.substr(0, 2); }
    std::string ProductRootPath() override { return rootPath; }
    void Log(const std::string& text) override {
        log.push_back(std::to_string(now) + "|" + text);
        lines.push_back(text);
        if (onLog) {
            auto handler = std::move(onLog);
            handler();
        }
    }
    void CloseLog() override {
        logClosed = true;
        calls.push_back("close log");
    }
    void InfoEvent(int n, const std::string& name) override {
        events.push_back(std::to_string(n) + (name.empty() ? "" : ":" + name));
    }
    void ErrorEvent(const std::string& text) override { events.push_back("5:" + text); }
    std::string Text(int id) override { return "<" + std::to_string(id) + ">"; }
    void SetStatus(const std::string& t) override { calls.push_back("status " + t); }
    void SetSeconds(const std::string& t) override { calls.push_back("seconds " + t); }
    void RepaintStatus() override { calls.push_back("repaint status"); }
    void RepaintSeconds() override { calls.push_back("repaint seconds"); }
    void SetTimerEnabled(bool on) override {
        timerEnabled = on;
        calls.push_back(on ? "timer on" : "timer off");
    }
    void GatewayCreate() override {
        if (gatewayMissing) throw ProgramError(429, "ActiveX component can't create object");
        calls.push_back("gateway create");
    }
    std::int32_t GatewayLastStatus() override {
        if (gatewayMissing) throw ProgramError(91, "Object variable or With block variable not set");
        calls.push_back("gateway LastStatus");
        return gatewayStatus;
    }
    void GatewayStopTr() override {
        if (gatewayMissing) throw ProgramError(91, "Object variable or With block variable not set");
        calls.push_back("gateway StopTr");
    }
    void GatewayStartTr() override {
        if (gatewayMissing) throw ProgramError(91, "Object variable or With block variable not set");
        calls.push_back("gateway StartTr");
    }
    void EndProcess(int code) override {
        calls.push_back("end process");
        exitCode = code;
        throw ProcessEnded{};
    }
    void EndProgram(int code) override {
        calls.push_back("end program");
        exitCode = code;
        throw ProcessEnded{};
    }
    int exitCode = -1;

    long Count(const std::string& call) const { return std::count(calls.begin(), calls.end(), call); }
    long TimeOf(const std::string& text) const {
        for (const auto& l : log) {
            const auto bar = l.find('|');
            if (l.substr(bar + 1) == text) return std::stol(l.substr(0, bar));
        }
        return -1;
    }
};

// Loads the countdown and ticks once a (virtual) second until the program ends.
void RunToEnd(FakeHost& host, RestartCountdown& countdown, int maxTicks = 100) {
    countdown.Start();
    try {
        for (int i = 0; i < maxTicks && host.timerEnabled; ++i) {
            host.now += 1000;
            countdown.Tick();
        }
    } catch (const ProcessEnded&) {
        return;
    }
    FAIL() << "the program did not end";
}

const std::vector<std::string> kShutdownLines = {
    " Starting Orvane shutdown process",
    " Orvane is running, stopping via gateway",
    " Stopping PmDirWriter", "    Net stop process completed",
    " Stopping PmDirCatalog service", "    net stop process completed",
    "    Net stop process completed",
    "    Stopping PmCoreMgr", "    Net stop process completed",
    "    Stopping PmDirLink", "    Net stop process completed",
    "    Stopping PmDirCatalog service", "    net stop process completed",
    "    Stopping PmNotifySvr service", "    net stop process completed",
    "    Stopping PmBridgeLink (if installed)", "    net stop process completed",
    "    Stopping PmStoreMonSvr (if installed)", "    net stop process completed",
    "    Stopping PmReplDirSvc", "    net stop process completed",
    "    Stopping PmSyncSvr", "    net stop process completed",
    "    Stopping PmSpeechSvr", "    net stop process completed",
    " killing all PM*.* services", "    Kill process completed",
    " Stopping the WWW service", "    net stop process completed",
    " Stopping the SQL Server Agent service", "    net stop process completed",
    " killing all PM*.* services a 2nd time", "    Kill process completed",
    " Stopping the MSSQLServer service", "    net stop process completed",
    " Orvane is off line.",
};

const std::vector<std::string> kShutdownCommands = {
    "Net Stop PmDirWriter", "Net STop PmDirCatalog", "Net Stop PmGateway", "Net Stop PmCoreMgr",
    "Net Stop PmDirLink", "Net STop PmDirCatalog", "Net STop PmNotifySvr", "Net Stop PmBridgeLink",
    "Net Stop PmStoreMonSvr", "Net Stop PmReplDirSvc", "Net Stop PmSyncSvr", "Net Stop PmSpeechSvr",
    "kill.exe pm*.* -f", "Net Stop W3svc", "Net Stop SQLServerAgent", "kill.exe pm*.* -f", "Net Stop MSSQLServer",
};

std::vector<std::string> CommandLines(const FakeHost& h) {
    std::vector<std::string> out;
    for (const auto& c : h.commands) out.push_back(c.line);
    return out;
}

TEST(RestartRun, ShutsDownInOrderThenStartsTheProductAndEnds) {
    for (std::int16_t action : {0, 2, 7}) {  // every other action is restart-only
        FakeHost h;
        RestartCountdown countdown(h, action, {"", ""});
        RunToEnd(h, countdown);
        std::vector<std::string> expected = kShutdownLines;
        for (const char* l : {" Restarting Orvane", "    starting WWW service", "    starting gateway",
                              "    starting other auto start Orvane services",
                              "    Orvane startup sequence initiated through gateway."}) {
            expected.push_back(l);
        }
        EXPECT_EQ(h.lines, expected) << "action " << action;
        std::vector<std::string> commands = kShutdownCommands;
        for (const char* c : {"Net Start W3svc", "Net Start PmGateway", "Net Start PmDirLink", "Net Start PmDirCatalog",
                              "Net Start PmNotifySvr", "Net Start PmDirWriter", "Net Start PmAuxSvr",
                              "Net Start PmSyncSvr", "Net Start PmSpeechSvr", "Net Start PmReplDirSvc",
                              "\"C:\\Program Files\\Pellmark\\PmTrayStatus.exe\""}) {
            commands.push_back(c);
        }
        EXPECT_EQ(CommandLines(h), commands);
        EXPECT_EQ(h.events, (std::vector<std::string>{"2", "3", "10"}));
        EXPECT_EQ(h.pauses, (std::vector<long>{30000, 2000}));
        EXPECT_EQ(h.Count("gateway StopTr"), 1);
        EXPECT_EQ(h.Count("gateway StartTr"), 1);
        EXPECT_EQ(h.calls.back(), "end process");
        EXPECT_EQ(h.exitCode, kExitDone);
        EXPECT_TRUE(h.logClosed);
    }
}

TEST(RestartRun, StylesTimeOutsAndTheKillFolderAreAsDesigned) {
    FakeHost h;
    RestartCountdown countdown(h, 0, {"", ""});
    RunToEnd(h, countdown);
    const std::int32_t timeouts[] = {30000, 30000, 30000, 30000, 30000, 30000, 30000, 30000, 30000,
                                     30000, 60000, 30000, 40000, 40000, 40000, 40000, 40000};
    for (std::size_t i = 0; i < 17; ++i) {
        EXPECT_EQ(h.commands[i].timeout, timeouts[i]) << h.commands[i].line;
        EXPECT_EQ(h.commands[i].style, h.commands[i].line.rfind("kill", 0) == 0 ? 2 : 1) << h.commands[i].line;
    }
    for (std::size_t i = 17; i < 27; ++i) {
        EXPECT_EQ(h.commands[i].style, 6);
        EXPECT_EQ(h.commands[i].timeout, -1) << "start-up waits without limit";
    }
    EXPECT_EQ(h.commands[27].timeout, 0) << "the tray program is not waited on";
    EXPECT_EQ(h.Count("folder C:\\Program Files\\Orvane Restart"), 1);
    // The first command starts with the 20th tick.
    EXPECT_EQ(h.commands[0].startedAt, 20000);
    // The 30-second pause after the sync service's stop, then the next step at once.
    EXPECT_EQ(h.commands[11].startedAt - h.commands[10].startedAt, 50 + 30000);
    // Gateway start request after the tray program, the log closed before event 10.
    const auto at = [&](const std::string& c) { return std::find(h.calls.begin(), h.calls.end(), c) - h.calls.begin(); };
    EXPECT_LT(at("close log"), static_cast<long>(h.calls.size()) - 1);
    EXPECT_EQ(h.events.back(), "10");
}

TEST(RestartRun, CountdownShowsTwentyDownToOneThenZero) {
    FakeHost h;
    RestartCountdown countdown(h, 0, {"", ""});
    RunToEnd(h, countdown);
    std::vector<std::string> seconds;
    for (const auto& c : h.calls) {
        if (c.rfind("seconds ", 0) == 0) seconds.push_back(c.substr(8));
    }
    ASSERT_GE(seconds.size(), 20u);
    for (int i = 0; i < 19; ++i) EXPECT_EQ(seconds[static_cast<std::size_t>(i)], std::to_string(19 - i));
    EXPECT_EQ(seconds[19], "<" + std::to_string(IDS_ZERO) + ">");
    EXPECT_EQ(h.calls[0], "status <" + std::to_string(IDS_SHUTTING_DOWN_IN) + ">");
}

TEST(RestartRun, TheGatewayIsAskedToStopOnlyWhenRunning) {
    FakeHost h;
    h.gatewayStatus = 4;
    RestartCountdown countdown(h, 0, {"", ""});
    RunToEnd(h, countdown);
    EXPECT_EQ(h.Count("gateway StopTr"), 0);
    EXPECT_EQ(std::count(h.lines.begin(), h.lines.end(), " Orvane is running, stopping via gateway"), 0);
    EXPECT_EQ(h.commands.size(), 28u) << "the service steps run all the same";
}

TEST(RestartRun, NoGatewayIsReportedAndEveryStepStillRuns) {
    FakeHost h;
    h.gatewayMissing = true;
    RestartCountdown countdown(h, 0, {"", ""});
    RunToEnd(h, countdown);
    const std::string createFailed = "(error) in restart timer: ActiveX component can't create object number=429";
    EXPECT_EQ(h.lines[1], createFailed);
    // A failed status read leads to the stop request, which fails in turn.
    EXPECT_EQ(h.lines[2], "(error) in restart timer: Object variable or With block variable not set number=91");
    EXPECT_EQ(h.lines[3], " Orvane is running, stopping via gateway");
    EXPECT_EQ(h.commands.size(), 28u);
    EXPECT_EQ(h.events.front(), "5:ActiveX component can't create object number=429");
    EXPECT_EQ(h.lines.back(), "(error) in restart timer: Object variable or With block variable not set number=91");
    EXPECT_EQ(h.calls.back(), "end process");
}

TEST(RestartRun, AHangingStopIsReportedAfterItsOwnTimeOutAndTheNextStepFollowsAtOnce) {
    FakeHost h;
    h.durations["Net Stop PmSyncSvr"] = 3600000;
    h.durations["Net Stop SQLServerAgent"] = 3600000;
    RestartCountdown countdown(h, 0, {"", ""});
    RunToEnd(h, countdown);
    const long stopStart = h.commands[10].startedAt;
    EXPECT_EQ(h.TimeOf("(error) net stop process took longer than 60 seconds, task terminated"), stopStart + 60000);
    EXPECT_FALSE(h.commands[10].finished);
    EXPECT_EQ(h.commands[11].startedAt, stopStart + 60000 + 30000) << "pause after step 11 also after a time-out";
    EXPECT_EQ(h.TimeOf("(error) net stop process took longer than 40 seconds, task terminated"),
              h.commands[14].startedAt + 40000);
    EXPECT_EQ(h.commands[15].startedAt, h.commands[14].startedAt + 40000);
}

TEST(RestartRun, ACommandThatCannotStartIsReportedThenCountsAsNotFinished) {
    FakeHost h;
    h.unstartable = {"kill.exe"};
    RestartCountdown countdown(h, 0, {"", ""});
    RunToEnd(h, countdown);
    const auto it = std::find(h.lines.begin(), h.lines.end(), " killing all PM*.* services");
    ASSERT_NE(it, h.lines.end());
    EXPECT_EQ(*(it + 1), "(error) in restart timer: File not found number=53");
    EXPECT_EQ(*(it + 2), "(error) Kill process took longer than 40 seconds, task terminated");
    EXPECT_EQ(std::count(h.events.begin(), h.events.end(), "5:File not found number=53"), 2);
    EXPECT_EQ(h.calls.back(), "end process");
}

TEST(RebootRun, CountsDownAgainThenStartsTheBatchFileAndEnds) {
    FakeHost h;
    RestartCountdown countdown(h, 1, {"", ""});
    RunToEnd(h, countdown);
    std::vector<std::string> expected = kShutdownLines;
    expected.push_back(" Server reboot sequence initiated.");
    EXPECT_EQ(h.lines, expected);
    EXPECT_EQ(h.events, (std::vector<std::string>{"2", "4"}));
    ASSERT_EQ(h.commands.size(), 18u);
    EXPECT_EQ(h.commands.back().line, "\"C:\\Program Files\\Orvane Restart\\reboot.bat\"");
    EXPECT_EQ(h.commands.back().style, 2);
    EXPECT_EQ(h.pauses, (std::vector<long>{30000, 100}));
    EXPECT_EQ(h.Count("status <" + std::to_string(IDS_VOICE_SERVER_STOPPED) + ">"), 1);
    EXPECT_EQ(h.Count("status <" + std::to_string(IDS_RESTARTING_SERVER) + ">"), 1);
    EXPECT_EQ(h.Count("drive C:"), 1);
    // Twenty more seconds between the shut-down's end and the reboot.
    EXPECT_EQ(h.commands.back().startedAt - h.TimeOf(" Orvane is off line."), 20000);
    EXPECT_EQ(h.calls.back(), "end program");
    const auto closeAt = std::find(h.calls.begin(), h.calls.end(), "close log");
    EXPECT_NE(closeAt, h.calls.end());
}

TEST(BounceRun, StopsKillsAndStartsTheNamedServicesWithTheirEvents) {
    FakeHost h;
    RestartCountdown countdown(h, 3, {"", "PmNotifySvr", "PmSyncSvr"});
    RunToEnd(h, countdown);
    EXPECT_EQ(h.events, (std::vector<std::string>{"6:PmNotifySvr", "7:PmNotifySvr", "6:PmSyncSvr", "7:PmSyncSvr",
                                                  "8:PmNotifySvr", "9:PmNotifySvr", "8:PmSyncSvr", "9:PmSyncSvr",
                                                  "10"}));
    EXPECT_EQ(CommandLines(h),
              (std::vector<std::string>{"Net Stop PmNotifySvr", "Net Stop PmSyncSvr", "Kill PmNotifySvr -f",
                                        "Kill PmSyncSvr -f", "Net start PmNotifySvr", "Net start PmSyncSvr"}));
    EXPECT_EQ(h.lines, (std::vector<std::string>{
                           "Starting the service shut down sequence", "    Stopping PmNotifySvr service",
                           "    net stop process completed", "    Stopping PmSyncSvr service",
                           "    net stop process completed", "    Killing PmNotifySvr service",
                           "    Kill process completed", "    Killing PmSyncSvr service", "    Kill process completed",
                           "Starting the service initialization", "    Starting PmNotifySvr service",
                           "    net start process completed", "    Starting PmSyncSvr service",
                           "    net start process completed"}));
    EXPECT_EQ(h.pauses, (std::vector<long>{60000, 5000, 5000}));
    EXPECT_EQ(h.commands[2].startedAt - h.TimeOf("    Stopping PmSyncSvr service"), 50 + 60000 + 5000);
    EXPECT_EQ(h.calls[0], "status <" + std::to_string(IDS_RESTARTING_SELECTED) + ">");
    EXPECT_EQ(h.calls.back(), "end process");
    for (const auto& c : h.commands) EXPECT_EQ(c.style, 1);
}

TEST(BounceRun, NoServicesEndsBeforeAnyServiceIsTouched) {
    FakeHost h;
    RestartCountdown countdown(h, 3, {""});
    RunToEnd(h, countdown);
    EXPECT_TRUE(h.commands.empty());
    EXPECT_EQ(h.lines, (std::vector<std::string>{"(error) no services included in shutdown request"}));
    EXPECT_EQ(h.events, (std::vector<std::string>{"5:<" + std::to_string(IDS_NO_SERVICES) + ">"}));
    EXPECT_EQ(h.calls.back(), "end process");
    EXPECT_EQ(h.exitCode, kExitFailed);
}

TEST(BounceRun, TimeOutsReportTheServiceAndTheLaterPassesStillHandleIt) {
    FakeHost h;
    h.durations["Net Stop PmSpeechSvr"] = 999999;
    h.durations["Net start PmSpeechSvr"] = 999999;
    RestartCountdown countdown(h, 3, {"", "pmsynCSVR", "PmSpeechSvr"});
    RunToEnd(h, countdown);
    EXPECT_EQ(h.pauses.front(), 60000) << "PMSYN in any case";
    EXPECT_NE(std::find(h.lines.begin(), h.lines.end(),
                        "(error) net stop process took longer than 120 seconds, task terminated"),
              h.lines.end());
    EXPECT_NE(std::find(h.lines.begin(), h.lines.end(),
                        "(error) net start process took longer than 60 seconds, task terminated"),
              h.lines.end());
    EXPECT_NE(std::find(h.events.begin(), h.events.end(), "5:<102>PmSpeechSvr"), h.events.end());
    EXPECT_NE(std::find(h.events.begin(), h.events.end(), "5:<103>PmSpeechSvr"), h.events.end());
    EXPECT_EQ(h.commands.size(), 6u) << "the timed-out service is still killed and started";
    EXPECT_EQ(h.exitCode, kExitFailed);
}

TEST(Cancel, DuringTheCountdownWritesOneLineRaisesEventFiveAndTouchesNothing) {
    FakeHost h;
    RestartCountdown countdown(h, 1, {"", ""});
    countdown.Start();
    for (int i = 0; i < 5; ++i) countdown.Tick();
    EXPECT_THROW(countdown.Cancel(), ProcessEnded);
    EXPECT_EQ(h.lines,
              (std::vector<std::string>{"(error) Restart sequence stopped by user intervention.  Restart termianted."}));
    EXPECT_EQ(h.events, (std::vector<std::string>{"5:<0>"}));
    EXPECT_TRUE(h.commands.empty());
    EXPECT_FALSE(h.timerEnabled);
    EXPECT_EQ(h.calls.back(), "end program");
    EXPECT_EQ(h.exitCode, kExitCancelled);
}

TEST(Cancel, DuringTheShutdownEndsBetweenTwoSteps) {
    FakeHost h;
    RestartCountdown countdown(h, 0, {"", ""});
    countdown.Start();
    for (int i = 0; i < 19; ++i) countdown.Tick();
    int logged = 0;
    std::function<void()> arm = [&] {
        h.onLog = [&] {
            if (++logged == 4) {
                countdown.Cancel();
            } else {
                arm();
            }
        };
    };
    arm();
    EXPECT_THROW(countdown.Tick(), ProcessEnded);
    EXPECT_EQ(h.lines.back(), "(error) Restart sequence stopped by user intervention.  Restart termianted.");
    EXPECT_EQ(h.commands.size(), 1u) << "stopped services stay stopped, nothing more runs";
}

// A host whose log and event log both fail: the failure handling never fails.
class BrokenReportingHost : public FakeHost {
public:
    void Log(const std::string&) override { throw ProgramError(52, "Bad file name or number"); }
    void ErrorEvent(const std::string&) override { throw ProgramError(429, "no event log"); }
};

TEST(TickFailures, HandlingThatFailsItselfStillLetsTheSequenceFinish) {
    BrokenReportingHost h;
    h.gatewayMissing = true;
    RestartCountdown countdown(h, 0, {"", ""});
    RunToEnd(h, countdown);
    EXPECT_EQ(h.commands.size(), 28u);
    EXPECT_EQ(h.calls.back(), "end process");
    EXPECT_EQ(h.exitCode, kExitFailed) << "a failure that could not even be reported still counts";
}

TEST(StartupRun, TrayPathIsQuotedAndGetsItsBackslash) {
    for (const auto& [root, expected] :
         std::vector<std::pair<std::string, std::string>>{{"C:\\Program Files\\Pellmark", "\"C:\\Program Files\\Pellmark\\PmTrayStatus.exe\""},
                                                          {"D:\\PM\\", "\"D:\\PM\\PmTrayStatus.exe\""},
                                                          {"", "\"PmTrayStatus.exe\""}}) {
        FakeHost h;
        h.rootPath = root;
        EXPECT_THROW(RunStartup(h), ProcessEnded);
        EXPECT_EQ(h.commands.back().line, expected);
        EXPECT_EQ(h.commands.back().style, 6);
    }
}

}  // namespace
