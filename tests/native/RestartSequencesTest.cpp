// The restart actions over the recording host with its virtual clock.
#include <gtest/gtest.h>

#include <tuple>

#include "FakeHost.h"
#include "localize/RestartResCONST.h"

namespace {

// What a countdown's start logs where nobody else is logged on.
const std::string kNobodyTold = "    Nobody else is logged on to the server: no notice sent.";

const std::vector<std::string> kShutdownLines = {
    " Starting Orvane shutdown process", " Orvane is running, stopping via gateway", " Stopping PmDirWriter",
    "    Net stop process completed", " Stopping PmDirCatalog service", "    net stop process completed",
    "    Net stop process completed", "    Stopping PmCoreMgr", "    Net stop process completed",
    "    Stopping PmDirLink", "    Net stop process completed", "    Stopping PmDirCatalog service",
    "    net stop process completed", "    Stopping PmNotifySvr service", "    net stop process completed",
    "    Stopping PmBridgeLink (if installed)", "    net stop process completed",
    "    Stopping PmStoreMonSvr (if installed)", "    net stop process completed", "    Stopping PmReplDirSvc",
    "    net stop process completed", "    Stopping PmSyncSvr", "    net stop process completed",
    "    Stopping PmSpeechSvr", "    net stop process completed", " killing all PM*.* services",
    "    Kill process completed", " Stopping the WWW service", "    net stop process completed",
    " Stopping the SQL Server Agent service", "    net stop process completed",
    " killing all PM*.* services a 2nd time", "    Kill process completed", " Stopping the MSSQLServer service",
    "    net stop process completed", " Orvane is off line.",
};

// Each command as "line|window style|time-out" (-1 no limit, 0 never waited on).
const std::vector<std::string> kShutdownCommands = {
    "Net Stop PmDirWriter|1|30000", "Net STop PmDirCatalog|1|30000", "Net Stop PmGateway|1|30000",
    "Net Stop PmCoreMgr|1|30000", "Net Stop PmDirLink|1|30000", "Net STop PmDirCatalog|1|30000",
    "Net STop PmNotifySvr|1|30000", "Net Stop PmBridgeLink|1|30000", "Net Stop PmStoreMonSvr|1|30000",
    "Net Stop PmReplDirSvc|1|30000", "Net Stop PmSyncSvr|1|60000", "Net Stop PmSpeechSvr|1|30000",
    "kill.exe pm*.* -f|2|40000", "Net Stop W3svc|1|40000", "Net Stop SQLServerAgent|1|40000",
    "kill.exe pm*.* -f|2|40000", "Net Stop MSSQLServer|1|40000",
};

std::vector<std::string> Commands(const FakeHost& h) {
    std::vector<std::string> out;
    for (const auto& c : h.commands) out.push_back(c.line + "|" + std::to_string(c.style) + "|" + std::to_string(c.timeout));
    return out;
}

bool Has(const std::vector<std::string>& v, const std::string& x) { return std::find(v.begin(), v.end(), x) != v.end(); }

TEST(RestartRun, ShutsDownInOrderThenStartsTheProductAndEnds) {
    for (std::int16_t action : {0, 2, 7}) {  // every other action is restart-only
        FakeHost h;
        RestartCountdown countdown(h, action, {});
        ASSERT_TRUE(RunToEnd(h, countdown));
        std::vector<std::string> expected = {kNobodyTold};
        expected.insert(expected.end(), kShutdownLines.begin(), kShutdownLines.end());
        expected.insert(expected.end(), {" Restarting Orvane", "    starting WWW service", "    starting gateway",
                                         "    starting other auto start Orvane services",
                                         "    Orvane startup sequence initiated through gateway."});
        EXPECT_EQ(h.lines, expected) << "action " << action;
        // The start-up's commands run minimised without a limit; the tray program is not waited on.
        std::vector<std::string> commands = kShutdownCommands;
        for (const char* name : {"W3svc", "PmGateway", "PmDirLink", "PmDirCatalog", "PmNotifySvr", "PmDirWriter",
                                 "PmAuxSvr", "PmSyncSvr", "PmSpeechSvr", "PmReplDirSvc"}) {
            commands.push_back(std::string("Net Start ") + name + "|6|-1");
        }
        commands.push_back("\"C:\\Program Files\\Pellmark\\PmTrayStatus.exe\"|6|0");
        EXPECT_EQ(Commands(h), commands);
        EXPECT_EQ(h.events, (std::vector<std::string>{"2", "3", "10"}));
        EXPECT_EQ(h.pauses, (std::vector<long>{30000, 2000}));
        EXPECT_EQ(h.Count("gateway StopTr") + h.Count("gateway StartTr"), 2);
        EXPECT_EQ(std::tuple(h.calls.back(), h.exitCode, h.logClosed), std::tuple("end process", int{kExitDone}, true));
        if (action != 0) continue;
        EXPECT_EQ(h.Count("folder C:\\Program Files\\Orvane Restart"), 1) << "kill runs from the program's folder";
        // The countdown shows 19 down to 1, then "0"; the first command starts with the 20th tick.
        std::string seconds;
        for (const auto& c : h.calls) seconds += c.rfind("seconds ", 0) == 0 ? c.substr(8) + " " : "";
        EXPECT_EQ(seconds.rfind("19 18 17 16 15 14 13 12 11 10 9 8 7 6 5 4 3 2 1 <" + std::to_string(IDS_ZERO) + "> ", 0), 0u);
        // The lock before the log, and the log before anything else.
        EXPECT_EQ(std::vector<std::string>(h.calls.begin(), h.calls.begin() + 3),
                  (std::vector<std::string>{"claim", "open log ", "status <" + std::to_string(IDS_SHUTTING_DOWN_IN) + ">"}));
        EXPECT_EQ(h.commands[0].startedAt, 20000);
        EXPECT_EQ(h.commands[11].startedAt - h.commands[10].startedAt, 50 + 30000) << "the pause after the sync stop";
    }
}

TEST(RestartRun, FailuresAreReportedAndEveryStepStillRuns) {
    {
        FakeHost h;  // the product is not running: no stop request
        h.gatewayStatus = 4;
        RestartCountdown countdown(h, 0, {});
        ASSERT_TRUE(RunToEnd(h, countdown));
        EXPECT_EQ(h.Count("gateway StopTr"), 0);
        EXPECT_FALSE(Has(h.lines, " Orvane is running, stopping via gateway"));
        EXPECT_EQ(h.commands.size(), 28u);
    }
    {
        FakeHost h;  // no gateway: a failed status read leads to the stop request, which fails in turn
        h.gatewayMissing = true;
        RestartCountdown countdown(h, 0, {});
        ASSERT_TRUE(RunToEnd(h, countdown));
        const std::string unset = "(error) in restart timer: Object variable or With block variable not set number=91";
        EXPECT_EQ(std::vector<std::string>(h.lines.begin() + 2, h.lines.begin() + 5),
                  (std::vector<std::string>{"(error) in restart timer: ActiveX component can't create object number=429",
                                            unset, " Orvane is running, stopping via gateway"}));
        EXPECT_EQ(h.lines.back(), unset);
        EXPECT_EQ(h.commands.size(), 28u);
        EXPECT_EQ(h.events.front(), "5:ActiveX component can't create object number=429");
        EXPECT_EQ(h.exitCode, kExitFailed);
    }
    {
        FakeHost h;  // hanging stops: reported after their own time-outs, the next step at once
        h.durations["Net Stop PmSyncSvr"] = 3600000;
        h.durations["Net Stop SQLServerAgent"] = 3600000;
        RestartCountdown countdown(h, 0, {});
        ASSERT_TRUE(RunToEnd(h, countdown));
        const long stopStart = h.commands[10].startedAt;
        EXPECT_EQ(h.TimeOf("(error) net stop process took longer than 60 seconds, task terminated"), stopStart + 60000);
        EXPECT_FALSE(h.commands[10].finished);
        EXPECT_EQ(h.commands[11].startedAt, stopStart + 60000 + 30000) << "the pause also after a time-out";
        EXPECT_EQ(h.TimeOf("(error) net stop process took longer than 40 seconds, task terminated"),
                  h.commands[14].startedAt + 40000);
        EXPECT_EQ(h.commands[15].startedAt, h.commands[14].startedAt + 40000);
    }
    {
        FakeHost h;  // a command that cannot start counts as one that did not finish
        h.unstartable = {"kill.exe"};
        RestartCountdown countdown(h, 0, {});
        ASSERT_TRUE(RunToEnd(h, countdown));
        const auto it = std::find(h.lines.begin(), h.lines.end(), " killing all PM*.* services");
        ASSERT_NE(it, h.lines.end());
        EXPECT_EQ(*(it + 1), "(error) in restart timer: File not found number=53");
        EXPECT_EQ(*(it + 2), "(error) Kill process took longer than 40 seconds, task terminated");
        EXPECT_EQ(std::count(h.events.begin(), h.events.end(), "5:File not found number=53"), 2);
        EXPECT_EQ(h.calls.back(), "end process");
    }
}

TEST(RebootRun, CountsDownAgainThenStartsTheBatchFileAndEnds) {
    FakeHost h;
    RestartCountdown countdown(h, 1, {});
    ASSERT_TRUE(RunToEnd(h, countdown));
    std::vector<std::string> expected = {kNobodyTold};
    expected.insert(expected.end(), kShutdownLines.begin(), kShutdownLines.end());
    expected.insert(expected.end(), {kNobodyTold, " Server reboot sequence initiated."});
    EXPECT_EQ(h.lines, expected);
    EXPECT_EQ(h.events, (std::vector<std::string>{"2", "4"}));
    std::vector<std::string> commands = kShutdownCommands;
    commands.push_back("\"C:\\Program Files\\Orvane Restart\\reboot.bat\"|2|0");
    EXPECT_EQ(Commands(h), commands);
    EXPECT_EQ(h.pauses, (std::vector<long>{30000, 100}));
    EXPECT_EQ(h.Count("status <" + std::to_string(IDS_VOICE_SERVER_STOPPED) + ">") +
                  h.Count("status <" + std::to_string(IDS_RESTARTING_SERVER) + ">") + h.Count("drive C:"),
              3);
    // Twenty more seconds between the shut-down's end and the reboot.
    EXPECT_EQ(h.commands.back().startedAt - h.TimeOf(" Orvane is off line."), 20000);
    EXPECT_EQ(std::pair(h.calls.back(), Has(h.calls, "close log")), std::pair(std::string("end program"), true));
}

TEST(BounceRun, StopsKillsAndStartsTheNamedServicesWithTheirEvents) {
    FakeHost h;
    RestartCountdown countdown(h, 3, {"PmNotifySvr", "PmSyncSvr"});
    ASSERT_TRUE(RunToEnd(h, countdown));
    EXPECT_EQ(h.events, (std::vector<std::string>{"6:PmNotifySvr", "7:PmNotifySvr", "6:PmSyncSvr", "7:PmSyncSvr",
                                                  "8:PmNotifySvr", "9:PmNotifySvr", "8:PmSyncSvr", "9:PmSyncSvr",
                                                  "10"}));
    EXPECT_EQ(Commands(h), (std::vector<std::string>{
                               "Net Stop PmNotifySvr|1|120000", "Net Stop PmSyncSvr|1|120000",
                               "Kill PmNotifySvr -f|1|60000", "Kill PmSyncSvr -f|1|60000",
                               "Net start PmNotifySvr|1|60000", "Net start PmSyncSvr|1|60000"}));
    EXPECT_EQ(h.lines, (std::vector<std::string>{
                           kNobodyTold, "Starting the service shut down sequence", "    Stopping PmNotifySvr service",
                           "    net stop process completed", "    Stopping PmSyncSvr service",
                           "    net stop process completed", "    Killing PmNotifySvr service",
                           "    Kill process completed", "    Killing PmSyncSvr service", "    Kill process completed",
                           "Starting the service initialization", "    Starting PmNotifySvr service",
                           "    net start process completed", "    Starting PmSyncSvr service",
                           "    net start process completed"}));
    EXPECT_EQ(h.pauses, (std::vector<long>{60000, 5000, 5000}));
    EXPECT_EQ(h.commands[2].startedAt - h.TimeOf("    Stopping PmSyncSvr service"), 50 + 60000 + 5000);
    EXPECT_EQ(h.calls[2], "status <" + std::to_string(IDS_RESTARTING_SELECTED) + ">");
    EXPECT_EQ(h.calls.back(), "end process");
}

TEST(BounceRun, TimeOutsReportTheServiceAndTheLaterPassesStillHandleIt) {
    FakeHost h;
    h.durations["Net Stop PmSpeechSvr"] = 999999;
    h.durations["Net start PmSpeechSvr"] = 999999;
    RestartCountdown countdown(h, 3, {"pmsynCSVR", "PmSpeechSvr"});
    ASSERT_TRUE(RunToEnd(h, countdown));
    EXPECT_EQ(h.pauses.front(), 60000) << "PMSYN in any case";
    EXPECT_TRUE(Has(h.lines, "(error) net stop process took longer than 120 seconds, task terminated"));
    EXPECT_TRUE(Has(h.lines, "(error) net start process took longer than 60 seconds, task terminated"));
    EXPECT_EQ(std::pair(Has(h.events, "5:<102>PmSpeechSvr"), Has(h.events, "5:<103>PmSpeechSvr")), std::pair(true, true));
    EXPECT_EQ(h.commands.size(), 6u) << "the timed-out service is still killed and started";
    EXPECT_EQ(h.exitCode, kExitFailed);
}

// Cancel during either countdown: Cancel.FromAnotherProcessDuringEitherCountdownOnly.
TEST(Cancel, DuringTheShutDownEndsItBetweenTwoSteps) {
    const std::string cancelled = "(error) Restart sequence stopped by user intervention.  Restart termianted.";
    {
        FakeHost h;  // during the shut-down: between two steps
        RestartCountdown countdown(h, 0, {});
        countdown.Start();
        for (int i = 0; i < 19; ++i) countdown.Tick();
        int logged = 0;
        std::function<void()> arm = [&] {
            h.onLog = [&] { ++logged == 4 ? countdown.Cancel() : arm(); };
        };
        arm();
        EXPECT_THROW(countdown.Tick(), ProcessEnded);
        EXPECT_EQ(h.lines.back(), cancelled);
        EXPECT_EQ(h.commands.size(), 1u) << "stopped services stay stopped, nothing more runs";
    }
}

// The action pumps events as it logs; a tick that arrives meanwhile must not
// start it a second time.
TEST(RestartRun, ATickDuringTheActionIsIgnored) {
    FakeHost h;
    RestartCountdown countdown(h, 0, {});
    int nested = 0;
    std::function<void()> tickAgain = [&] {
        ++nested;
        countdown.Tick();
        h.onLog = tickAgain;
    };
    h.onLog = tickAgain;
    ASSERT_TRUE(RunToEnd(h, countdown));
    FakeHost plain;
    RestartCountdown alone(plain, 0, {});
    ASSERT_TRUE(RunToEnd(plain, alone));
    EXPECT_GT(nested, 30);
    EXPECT_EQ(h.lines, plain.lines) << "each step once";
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
    RestartCountdown countdown(h, 0, {});
    ASSERT_TRUE(RunToEnd(h, countdown));
    EXPECT_EQ(h.commands.size(), 28u);
    EXPECT_EQ(std::pair(h.calls.back(), h.exitCode), std::pair(std::string("end process"), int{kExitFailed}))
        << "an unreported failure counts";
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
