// The check after a restart or a bounce, over the recording host whose
// services follow the commands run (stopped by "Net Stop", running from
// their "Net Start").
#include <gtest/gtest.h>

#include "FakeHost.h"

namespace {

// What the run adds after the start request (restart) or the start pass (bounce).
std::vector<std::string> Tail(const FakeHost& h, const std::string& after) {
    const auto at = std::find(h.lines.begin(), h.lines.end(), after);
    return at == h.lines.end() ? std::vector<std::string>{} : std::vector<std::string>(at + 1, h.lines.end());
}

constexpr const char* kStarted = "    Orvane startup sequence initiated through gateway.";
const std::string kGone = "    Running before the shut-down, not started by name, not running now: "
                          "PmCoreMgr, PmBridgeLink, PmStoreMonSvr, SQLServerAgent, MSSQLServer";

TEST(Verification, OutcomeInTheLogTheEventsAndTheExitCode) {
    const std::string queryText = "cannot query: The specified service does not exist as an installed service.";
    struct Case {
        const char* what;
        StoredNumber setting;
        const char* slow;  // a service that starts late (ms below), or never (-1)
        long delay;
        const char* unknown;  // a service the manager cannot be asked about
        std::vector<std::string> tail, events;
        int exitCode;
        long waited;  // the check's pauses, in seconds
    } cases[] = {
        {"all at once", {true, true, 300}, "", 0, "",
         {" Verified: all 10 services started are running, after 0 s", kGone}, {"2", "3", "11", "10"}, 0, 0},
        {"no value: 300", {}, "PmSyncSvr", 5000, "",
         {" Verified: all 10 services started are running, after 5 s", kGone}, {"2", "3", "11", "10"}, 0, 5},
        {"one never", {true, true, 30}, "PmSyncSvr", -1, "",
         {"(error) PmSyncSvr is not running: stopped", kGone}, {"2", "3", "5:Not running after the restart: PmSyncSvr", "10"}, 2, 30},
        {"one unknown", {true, true, 10}, "", 0, "PmAuxSvr",
         {"(error) PmAuxSvr is not running: " + queryText, kGone}, {"2", "3", "5:Not running after the restart: PmAuxSvr", "10"}, 2, 10},
        {"off", {true, true, 0}, "PmSyncSvr", -1, "", {}, {"2", "3", "10"}, 0, 0},
        {"not a DWORD", {true, false, 0}, "", 0, "",
         {" Verified: all 10 services started are running, after 0 s", kGone}, {"2", "3", "11", "10"}, 0, 0},
        {"over an hour", {true, true, 3601}, "PmSyncSvr", -1, "",
         {"(error) PmSyncSvr is not running: stopped", kGone}, {"2", "3", "5:Not running after the restart: PmSyncSvr", "10"}, 2, 300},
    };
    for (const Case& c : cases) {
        FakeHost h;
        h.verifySetting = c.setting;
        if (*c.slow) h.startDelay[c.slow] = c.delay;
        if (*c.unknown) h.unqueryable = {c.unknown};
        RestartCountdown countdown(h, ActionRestartOnly, {"", ""});
        ASSERT_TRUE(RunToEnd(h, countdown)) << c.what;
        EXPECT_EQ(Tail(h, kStarted), c.tail) << c.what;
        EXPECT_EQ(h.events, c.events) << c.what;
        EXPECT_EQ(h.exitCode, c.exitCode) << c.what;
        EXPECT_EQ(std::count(h.pauses.begin(), h.pauses.end(), 1000), c.waited) << c.what;
        // An odd value is said once, before the first step, and the default holds.
        const bool odd = c.setting.present && (!c.setting.isNumber || c.setting.value > 3600);
        EXPECT_EQ(h.lines[0].rfind(" VerifySeconds is not", 0) == 0, odd) << c.what;
    }
}

TEST(Verification, ABounceChecksTheBouncedServicesAndCancelCannotStopIt) {
    FakeHost h;
    h.verifySetting = {true, true, 20};
    h.startDelay["PmSyncSvr"] = -1;
    RestartCountdown countdown(h, ActionBounce, {"", "PmNotifySvr", "PmSyncSvr"});
    // A Cancel clicked while the check writes its lines changes nothing.
    std::function<void()> cancel = [&] {
        if (TheRunOutcome.verifying) countdown.Cancel();
        h.onLog = cancel;
    };
    h.onLog = cancel;
    ASSERT_TRUE(RunToEnd(h, countdown));
    EXPECT_EQ(Tail(h, "    net start process completed"), (std::vector<std::string>{
        "    Starting PmSyncSvr service", "    net start process completed", "(error) PmSyncSvr is not running: stopped"}));
    EXPECT_EQ(h.events.back(), "10");
    EXPECT_EQ(h.events[h.events.size() - 2], "5:Not running after the restart: PmSyncSvr");
    EXPECT_EQ(h.exitCode, kExitFailed);
}

TEST(Verification, ASecondRunEndsAtOnceTouchingNothing) {
    FakeHost h;
    h.runLocked = true;
    RestartCountdown countdown(h, ActionRestartOnly, {"", ""});
    EXPECT_THROW(countdown.Start(), ProcessEnded);
    EXPECT_EQ(h.lines, std::vector<std::string>{"(error) another restart run is in progress"});
    EXPECT_EQ(h.events, std::vector<std::string>{"5:another restart run is in progress"});
    EXPECT_TRUE(h.commands.empty() && h.logClosed && !h.timerEnabled);
    EXPECT_EQ(h.exitCode, kExitFailed);
}

}  // namespace
