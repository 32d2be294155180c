// The check after a restart or a bounce, over the recording host whose
// services follow the commands run (stopped by "Net Stop", running from
// their "Net Start").
#include <gtest/gtest.h>

#include "FakeHost.h"
#include "logging/LogNames.h"

namespace {

// What the run adds after the start request (restart) or the start pass (bounce).
std::vector<std::string> Tail(const FakeHost& h, const std::string& after) {
    const auto at = std::find(h.lines.begin(), h.lines.end(), after);
    return at == h.lines.end() ? std::vector<std::string>{} : std::vector<std::string>(at + 1, h.lines.end());
}

constexpr const char* kStarted = "    Orvane startup sequence initiated through gateway.";
const std::string kGone = "    Running before the shut-down, not started by name, not running now: "
                          "PmCoreMgr, PmBridgeLink, PmStoreMonSvr, SQLServerAgent, MSSQLServer";

// Each run is a restart, or a bounce of PmNotifySvr and PmSyncSvr; a Cancel
// clicked while the check writes its lines changes nothing.
TEST(Verification, OutcomeInTheLogTheEventsAndTheExitCode) {
    const std::string queryText = "cannot query: The specified service does not exist as an installed service.";
    const std::string good = " Verified: all 10 services started are running, after ";
    const std::string syncDown = "(error) PmSyncSvr is not running: stopped";
    const std::string syncEvent = "5:Not running after the restart: PmSyncSvr";
    struct Case {
        const char* what;
        StoredNumber setting;
        const char* slow;  // a service that starts late (ms below), or never (-1)
        long delay;
        const char* unknown;  // a service the manager cannot be asked about
        std::vector<std::string> tail, events;
        int exitCode;
        long waited;  // the check's pauses, in seconds
        bool bounce = false;
    } cases[] = {
        {"all at once", {true, true, 300}, "", 0, "", {good + "0 s", kGone}, {"2", "3", "11", "10"}, 0, 0},
        {"no value: 300", {}, "PmSyncSvr", 5000, "", {good + "5 s", kGone}, {"2", "3", "11", "10"}, 0, 5},
        {"one never", {true, true, 30}, "PmSyncSvr", -1, "", {syncDown, kGone}, {"2", "3", syncEvent, "10"}, 2, 30},
        {"one unknown", {true, true, 10}, "", 0, "PmAuxSvr", {"(error) PmAuxSvr is not running: " + queryText, kGone},
         {"2", "3", "5:Not running after the restart: PmAuxSvr", "10"}, 2, 10},
        {"off", {true, true, 0}, "PmSyncSvr", -1, "", {}, {"2", "3", "10"}, 0, 0},
        {"not a DWORD", {true, false, 0}, "", 0, "", {good + "0 s", kGone}, {"2", "3", "11", "10"}, 0, 0},
        {"over an hour", {true, true, 3601}, "PmSyncSvr", -1, "", {syncDown, kGone}, {"2", "3", syncEvent, "10"}, 2, 300},
        {"bounce", {true, true, 20}, "PmSyncSvr", -1, "", {"    net start process completed", syncDown},
         {"6:PmNotifySvr", "7:PmNotifySvr", "6:PmSyncSvr", "7:PmSyncSvr", "8:PmNotifySvr", "9:PmNotifySvr",
          "8:PmSyncSvr", "9:PmSyncSvr", syncEvent, "10"}, 2, 20, true},
    };
    for (const Case& c : cases) {
        FakeHost h;
        h.verifySetting = c.setting;
        if (*c.slow) h.startDelay[c.slow] = c.delay;
        if (*c.unknown) h.unqueryable = {c.unknown};
        RestartCountdown countdown(h, c.bounce ? ActionBounce : ActionRestartOnly,
                                   c.bounce ? std::vector<std::string>{"PmNotifySvr", "PmSyncSvr"} : std::vector<std::string>{});
        std::function<void()> cancel = [&] {
            if (TheRunOutcome.verifying) countdown.Cancel();
            h.onLog = cancel;
        };
        h.onLog = cancel;
        ASSERT_TRUE(RunToEnd(h, countdown)) << c.what;
        EXPECT_EQ(Tail(h, c.bounce ? "    Starting PmSyncSvr service" : kStarted), c.tail) << c.what;
        EXPECT_EQ(h.events, c.events) << c.what;
        // The exit code, the check's one-second waits, and an odd value said once before the first step.
        const bool odd = c.setting.present && (!c.setting.isNumber || c.setting.value > 3600);
        EXPECT_EQ((std::vector<long>{h.exitCode, static_cast<long>(std::count(h.pauses.begin(), h.pauses.end(), 1000)),
                                     h.lines[0].rfind(" VerifySeconds is not", 0) == 0}),
                  (std::vector<long>{c.exitCode, c.waited, odd})) << c.what;
    }
}

// "/Verify" after a reboot: the verdict, or none for a stale record; the
// task and the record go either way, unless another run holds the lock.
TEST(BootCheck, VerdictThenTheTaskAndTheRecordGo) {
    const std::string logs = "C:\\Program Files\\Orvane Restart\\logs\\run.TXT";
    const std::string good = " Verified: all 10 services started are running, after 0 s";
    struct Case {
        const char* what;
        bool record;
        long age;  // seconds since the reboot run recorded it
        const char* failing;
        bool locked;
        std::vector<std::string> lines, events;
        int exitCode;
    } cases[] = {
        {"all running", true, 120, "", false, {" Checking the voice server after the reboot", good}, {"11"}, 0},
        {"one failing", true, 120, "PmSyncSvr", false,
         {" Checking the voice server after the reboot", "(error) PmSyncSvr is not running: stopped"},
         {"5:Not running after the restart: PmSyncSvr"}, 2},
        {"a day old", true, 86401, "", false,
         {" The check recorded for a reboot more than a day ago is cleared without a verdict: that reboot never happened"}, {}, 0},
        {"by hand", false, 0, "", false, {" Checking the voice server", good}, {"11"}, 0},
        {"two at once", true, 120, "", true, {"(error) another restart run is in progress"}, {"5:another restart run is in progress"}, 2},
    };
    for (const Case& c : cases) {
        FakeHost h;
        h.verifySetting = {true, true, 5};
        if (c.record) h.bootRecord = {true, logs, h.utcAtLoad - c.age};
        if (*c.failing) h.runningFrom[c.failing] = -1;
        h.runLocked = c.locked;
        EXPECT_THROW(RunBootCheck(h), ProcessEnded) << c.what;
        EXPECT_EQ(h.lines, c.lines) << c.what;
        EXPECT_EQ(h.events, c.events) << c.what;
        // The exit code, the log it wrote to, whether the task and record went, and no service touched.
        EXPECT_EQ((std::vector<std::string>{std::to_string(h.exitCode), h.calls.front(),
                                            std::to_string(h.Count("boot check deleted")), std::to_string(h.commands.size())}),
                  (std::vector<std::string>{std::to_string(c.exitCode), "open log " + (c.record ? logs : ""),
                                            c.locked ? "0" : "1", "0"})) << c.what;
    }
}

// A reboot run schedules the check before its first step; a failure to do so
// is said and the reboot goes on; no reboot, no check left behind.
TEST(BootCheck, TheRebootSchedulesItAndAFailedRebootTakesItBack) {
    const std::string scheduled = "    The check after the boot is scheduled: task \"OrvaneScheduledRestart verification\"";
    const std::string failed = "The check after the boot could not be scheduled: The Task Scheduler service is not running.";
    for (const auto& [schedulerDown, rebootBatMissing] : {std::pair(false, false), std::pair(true, false), std::pair(false, true)}) {
        FakeHost h;
        h.verifySetting = {true, true, 300};
        h.bootCheckFails = schedulerDown;
        if (rebootBatMissing) h.unstartable = {"\"C:\\Program Files\\Orvane Restart\\reboot.bat\""};
        EXPECT_THROW(RunReboot(h), ProcessEnded);
        EXPECT_EQ(std::vector<std::string>(h.lines.begin(), h.lines.begin() + 2),
                  (std::vector<std::string>{schedulerDown ? "(error) " + failed : scheduled, " Server reboot sequence initiated."}));
        EXPECT_EQ(h.Count("boot check deleted"), rebootBatMissing ? 1 : 0);
        EXPECT_EQ(h.bootRecord.present, !schedulerDown && !rebootBatMissing);
        EXPECT_EQ(h.events.front(), schedulerDown ? "5:" + failed : "4");
    }
}

TEST(BootCheck, OnlyRunLogsInTheLogsFolderAreWrittenTo) {
    const std::string folder = "C:\\Program Files\\Orvane Restart\\logs";
    const std::pair<std::string, bool> cases[] = {
        {folder + "\\OrvaneScheduledRestart_Log_261207_03_00_00.TXT", true}, {"c:\\program files\\orvane restart\\LOGS\\a.txt", true},
        {folder + "\\..\\evil.TXT", false}, {folder + "\\sub\\a.TXT", false}, {folder + "\\a.bat", false},
        {"C:\\Windows\\a.TXT", false}, {folder + "x\\a.TXT", false}, {folder + "\\.TXT", false}, {"", false},
    };
    for (const auto& [path, ok] : cases) EXPECT_EQ(IsRunLogIn(path, folder), ok) << path;
}

}  // namespace
