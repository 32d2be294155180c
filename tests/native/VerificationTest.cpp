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
        const char* missing = "";  // a service this server does not have
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
        {"optional one missing: no wait", {true, true, 300}, "", 0, "",
         {"    not installed: PmAuxSvr", " Verified: all 9 services started are running, after 0 s", kGone},
         {"2", "3", "11", "10"}, 0, 0, false, "PmAuxSvr"},
    };
    for (const Case& c : cases) {
        FakeHost h;
        h.verifySetting = c.setting;
        if (*c.slow) h.startDelay[c.slow] = c.delay;
        if (*c.unknown) h.unqueryable = {c.unknown};
        if (*c.missing) h.uninstalled = {c.missing};
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
                                     h.lines[1].rfind(" VerifySeconds is not", 0) == 0}),
                  (std::vector<long>{c.exitCode, c.waited, odd})) << c.what;
    }
}

// "/Verify": the boot came after the record (a verdict into the night's log,
// however old the record), not yet (a check now in a log of its own; the
// task and the record stay), or too late (a failure); or no record (by hand).
TEST(BootCheck, VerdictByTheBootTheRecordsAgeAndTheServices) {
    const std::string night = "C:\\Program Files\\Orvane Restart\\logs\\run.TXT";
    const std::string good = " Verified: all 10 services started are running, after 0 s";
    const std::string after = " Checking the voice server after the reboot";
    const std::string pending = " The reboot started 10 minutes ago has not happened yet; its check stays scheduled. Checking the voice server now";
    const std::string pending0 = " The reboot started 0 minutes ago has not happened yet; its check stays scheduled. Checking the voice server now";
    const std::string late = "The server was not restarted within 30 minutes of starting reboot.bat";
    const std::string syncDown = "(error) PmSyncSvr is not running: stopped", busy = "another restart run is in progress";
    const std::string syncEvent = "5:Not running after the restart: PmSyncSvr";
    const std::string warning = "    Warning: the program folder C:\\Program Files\\Orvane Restart can be changed by Everyone, "
                                "not only by administrators: install with the MSI, or remove that write access";
    constexpr long kNone = -1;  // no record
    struct Case {
        const char* what;
        long age;  // seconds before now: the record
        bool booted;
        const char* failing;
        StoredNumber minutes;
        std::vector<std::string> lines, events;
        int exitCode;
        bool nightsLog, removed, locked = false;
        const char* writers = "";
        std::int32_t recorded = 0;  // the bound stored with the record
    } cases[] = {
        {"booted, all running", 1200, true, "", {}, {after, good}, {"11"}, 0, true, true},
        {"not yet", 600, false, "", {}, {pending, good}, {"11"}, 0, false, false},
        {"too late: one look", 1860, false, "PmSyncSvr", {}, {"(error) " + late, " Checking the voice server", syncDown},
         {"5:" + late, syncEvent}, 2, true, true},
        {"too late after 1 minute", 90, false, "", {true, true, 1},
         {"(error) The server was not restarted within 1 minute of starting reboot.bat", " Checking the voice server", good},
         {"5:The server was not restarted within 1 minute of starting reboot.bat", "11"}, 2, true, true},
        {"odd bound", 600, false, "", {true, false, 0},
         {" RebootMinutes is not a number of minutes from 1 to 1440; the check waits the default 30 minutes", pending, good},
         {"11"}, 0, false, false},
        {"record from the future, no boot", -7200, false, "", {}, {pending0, good}, {"11"}, 0, false, false},
        {"the bound raised after the reboot began: the recorded one holds", 1860, false, "", {true, true, 90},
         {"(error) " + late, " Checking the voice server", good}, {"5:" + late, "11"}, 2, true, true, false, "", 30},
        {"the bound lowered: the recorded one holds", 600, false, "", {true, true, 1}, {pending, good}, {"11"}, 0,
         false, false, false, "", 30},
        {"by hand", kNone, false, "", {}, {" Checking the voice server", good}, {"11"}, 0, false, false},
        {"two at once, the folder unsafe", 1200, true, "", {}, {warning, "(error) " + busy}, {"5:" + busy}, 2, false, false, true, "Everyone"},
        {"folder users may change", 1200, true, "", {}, {warning, after, good}, {"11"}, 0, true, true, false, "Everyone"},
    };
    for (const Case& c : cases) {
        FakeHost h;
        std::tie(h.verifySetting, h.rebootMinutes) = std::tuple(StoredNumber{true, true, 5}, c.minutes);
        if (c.age != kNone) h.bootRecord = {true, night, h.utcAtLoad - c.age, c.booted, c.recorded};
        if (*c.failing) h.runningFrom[c.failing] = -1;
        std::tie(h.runLocked, h.folderWriters) = std::tuple(c.locked, c.writers);
        EXPECT_THROW(RunBootCheck(h, StartupServices()), ProcessEnded) << c.what;
        EXPECT_EQ(h.lines, c.lines) << c.what;
        EXPECT_EQ(h.events, c.events) << c.what;
        // The log it wrote to, the lock taken only to clear a record, no
        // service touched, whether the task and the record went, and the exit code.
        const bool claims = c.age != kNone && (c.nightsLog || c.locked);
        EXPECT_EQ((std::vector<std::string>{h.calls.at(claims), std::to_string(h.Count("claim")),
                                            std::to_string(h.commands.size()), std::to_string(h.Count("boot check deleted")),
                                            std::to_string(h.exitCode)}),
                  (std::vector<std::string>{"open log " + (c.nightsLog ? night : ""), std::to_string(claims), "0",
                                            std::to_string(c.removed), std::to_string(c.exitCode)})) << c.what;
    }
}

// Whether a boot came is the boot's own word, whatever the wall clock did;
// the clock decides only the overdue bound, the one stored with the record.
TEST(BootCheck, VerdictByTheBootsMarkerAndTheClockForTheBoundOnly) {
    using V = BootVerdict;
    const std::int64_t made = 1796600000;
    const struct {
        const char* what;
        bool bootCame;
        std::int64_t now;  // the wall clock at the check
        V verdict;
    } rows[] = {
        {"a boot, the clock stepped back across it", true, made - 3 * 3600, V::Booted},
        {"a boot, the clock stepped forward across it", true, made + 86400, V::Booted},
        {"no boot, the clock stepped back", false, made - 3600, V::NotYet},
        {"no boot, the clock stepped forward past the bound", false, made + 86400, V::Overdue},
        {"no boot a second before the bound", false, made + 1799, V::NotYet},
        {"no boot at the bound", false, made + 1800, V::Overdue},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(BootVerdictOf({true, "x", made, row.bootCame, 30}, row.now, 30), row.verdict) << row.what;
    }
    // The task's once trigger (whole minutes) never fires before the bound,
    // and within two minutes of it, whatever the seconds of the start.
    for (std::int64_t second = 0; second < 60; ++second) {
        for (std::int32_t minutes : {1, 30, 1440}) {
            const std::int64_t start = made - made % 60 + second, at = OverdueCheckAt(start, minutes);
            EXPECT_EQ(at % 60, 0);
            EXPECT_GE(at, start + minutes * 60) << second;
            EXPECT_LT(at, start + minutes * 60 + 120) << second;
        }
    }
}

// A reboot run schedules the check, with its bound, before its first step;
// a failure to do so, or a folder users may change, is said and the reboot
// goes on; no reboot, no check left behind.
TEST(BootCheck, TheRebootSchedulesItAndAFailedRebootTakesItBack) {
    const std::string scheduled = "    The check after the boot is scheduled: task \"OrvaneScheduledRestart verification\"";
    const std::string failed = "The check after the boot could not be scheduled: The Task Scheduler service is not running.";
    const std::string refused = "The check after the boot is not scheduled: the program folder C:\\Program Files\\Orvane Restart "
                                "can be changed by BUILTIN\\Users, not only by administrators: install with the MSI, or remove that write access";
    struct Case {
        bool schedulerDown, rebootBatMissing;
        const char* writers;
        std::string first;     // line
        std::int32_t minutes;  // scheduled with
    } cases[] = {
        {false, false, "", scheduled, 45}, {true, false, "", "(error) " + failed, 0},
        {false, true, "", scheduled, 45}, {false, false, "BUILTIN\\Users", "(error) " + refused, 0},
    };
    for (const Case& c : cases) {
        FakeHost h;
        std::tie(h.verifySetting, h.rebootMinutes, h.bootCheckFails, h.folderWriters) =
            std::tuple(StoredNumber{true, true, 300}, StoredNumber{true, true, 45}, c.schedulerDown, c.writers);
        if (c.rebootBatMissing) h.unstartable = {"\"C:\\Program Files\\Orvane Restart\\reboot.bat\""};
        EXPECT_THROW(RunReboot(h), ProcessEnded);
        EXPECT_EQ(std::vector<std::string>(h.lines.begin(), h.lines.begin() + 2),
                  (std::vector<std::string>{c.first, " Server reboot sequence initiated."}));
        const bool made = c.first == scheduled;
        EXPECT_EQ((std::vector<long>{h.Count("boot check deleted"), h.bootRecord.present, h.scheduledMinutes}),
                  (std::vector<long>{c.rebootBatMissing, made && !c.rebootBatMissing, c.minutes})) << c.first;
        EXPECT_EQ(h.events.front(), made ? "4" : "5:" + c.first.substr(8));
    }
}

TEST(BootCheck, OnlyRunLogsInTheLogsFolderAreWrittenTo) {
    const std::string folder = "C:\\Program Files\\Orvane Restart\\logs";
    const std::pair<std::string, bool> cases[] = {
        {folder + "\\OrvaneScheduledRestart_Log_261207_03_00_00.TXT", true}, {"c:\\program files\\orvane restart\\LOGS\\a.txt", true},
        {folder + "\\..\\evil.TXT", false}, {folder + "\\sub\\a.TXT", false}, {folder + "\\a.bat", false},
        {"C:\\Windows\\a.TXT", false}, {folder + "x\\a.TXT", false}, {folder + "\\.TXT", false}, {"", false},
        {folder + "\\*.TXT", false}, {folder + "\\a?.TXT", false},
    };
    for (const auto& [path, ok] : cases) EXPECT_EQ(IsRunLogIn(path, folder), ok) << path;
}

}  // namespace
