// The skip, the cancel and the notice, over the recording host.
#include <gtest/gtest.h>

#include "FakeHost.h"
#include "config/CommandLine.h"
#include "localize/RestartResCONST.h"
#include "restart/NightSteps.h"

namespace {

constexpr std::int64_t kNow = 1796600000;  // the fake host's clock at load
const std::string kCancelled = "(error) Restart sequence stopped by user intervention.  Restart termianted.";


// The notice's texts as templates, to see them filled in.
struct Templates : FakeHost {
    std::string Text(int id) override {
        if (id == IDS_NOTICE_BOUNCE) return "%2 restart at %1 (%1).";
        return id == IDS_NOTICE_HOW_TO_STOP ? "Type /Cancel." : FakeHost::Text(id);
    }
};

TEST(Skip, OneRunAtMostWithinADay) {
    const struct {
        const char* what;
        SkipRecord skip;
        bool clearFails;
        bool skipped;
        const char* line;  // the run's first line
    } rows[] = {
        {"none", {}, false, false, nullptr},
        {"set an hour ago: used", {SkipRecord::Set, "SRV\\ann", kNow - 3600}, false, true, "skipped, as SRV\\ann asked at T1796596400"},
        {"set just now by a clock a little ahead", {SkipRecord::Set, "SRV\\ann", kNow + 60}, false, true, nullptr},
        {"a second short of a day", {SkipRecord::Set, "SRV\\ann", kNow - kSkipHoldsSeconds + 1}, false, true, nullptr},
        {"a day old: dropped", {SkipRecord::Set, "SRV\\ann", kNow - kSkipHoldsSeconds}, false, false,
         "    An unused skip was dropped: it expired 24 hours after SRV\\ann asked at T1796513600."},
        {"from the future", {SkipRecord::Set, "SRV\\ann", kNow + 3600}, false, false,
         "    A skip dated in the future (as SRV\\ann asked at T1796603600) counts as none and was dropped."},
        {"unreadable", {SkipRecord::Unreadable}, false, false, "    A skip that cannot be read counts as none and was dropped."},
        {"in a key users may change", {SkipRecord::Set, "SRV\\eve", kNow - 60, "Users (may change its values)"}, false, false,
         "    A skip in a key that not only administrators may change counts as none and was dropped: Users (may change its values)"},
        {"cannot be used up: the run goes on", {SkipRecord::Set, "SRV\\ann", kNow - 60}, true, false,
         "(error) The skip (as SRV\\ann asked at T1796599940) could not be used up, so this run goes on: Access is denied."},
    };
    for (const auto& r : rows) {
        FakeHost h;
        h.skip = r.skip;
        h.skipStays = r.clearFails;
        RestartCountdown countdown(h, ActionRestartOnly, {});
        ASSERT_TRUE(RunToEnd(h, countdown)) << r.what;
        EXPECT_EQ(h.commands.empty(), r.skipped) << r.what;
        EXPECT_EQ(h.exitCode, kExitDone) << r.what;
        if (r.line) EXPECT_EQ(h.lines.at(0), r.line) << r.what;
        if (r.skipped) {
            EXPECT_EQ(h.lines.size(), 1u) << r.what << ": touches nothing, one line";
            EXPECT_EQ(h.events.size(), 1u);
            EXPECT_EQ(h.events[0].rfind("12:as SRV\\ann asked at ", 0), 0u) << r.what;
            EXPECT_TRUE(h.published.empty()) << r.what << ": never counted down";
        }
        // Used or dropped, never left for a second night (unless it cannot be removed).
        EXPECT_EQ(h.skip.state == SkipRecord::None, r.skip.state == SkipRecord::None || !r.clearFails) << r.what;
    }
    // The check after a reboot is never skipped, and leaves the skip for the next run.
    FakeHost h;
    h.skip = {SkipRecord::Set, "SRV\\ann", kNow - 60};
    EXPECT_THROW(RunBootCheck(h, StartupServices()), ProcessEnded);
    EXPECT_EQ(h.skip.state, SkipRecord::Set);
}

// By the button or by a "/Cancel" named for this run: the same end.
TEST(Cancel, FromAnotherProcessDuringEitherCountdownOnly) {
    const std::string request = CancelRequestText({"run-1", "SRV\\bob"}), by = "    Stopped by /Cancel, sent by SRV\\bob";
    const struct {
        const char* what;
        std::int16_t action;
        int ticksBefore;      // when the request (or the click) arrives
        std::string request;  // empty: the Cancel button
        bool cancelled;
        std::size_t commands;
        const char* phases;  // published, in order: C counting, S shutting down, R counting to the reboot, X cancelled
    } rows[] = {
        {"restart, first countdown", ActionRestartOnly, 5, request, true, 0, "CX"},
        {"the button, first countdown", ActionReboot, 5, "", true, 0, "C"},
        {"bounce countdown", ActionBounce, 19, request, true, 0, "CX"},
        {"reboot, its second countdown", ActionReboot, 25, request, true, 17, "CSRX"},
        {"the button, the reboot's countdown: the product stays stopped", ActionReboot, 25, "", true, 17, "CSR"},
        {"a request for an earlier run", ActionRestartOnly, 5, CancelRequestText({"run-0", "SRV\\bob"}), false, 28, "CS"},
        {"a request that cannot be read", ActionRestartOnly, 5, "run-1", false, 28, "CS"},
        {"after the shut-down began", ActionRestartOnly, 20, request, false, 28, "CS"},
        {"a reboot nobody stops", ActionReboot, 0, "", false, 18, "CSRS"},
    };
    for (const auto& r : rows) {
        FakeHost h;
        RestartCountdown countdown(h, r.action, {"PmSyncSvr"});
        countdown.Start();
        bool ended = false;
        try {
            for (int i = 0; i < 200 && h.timerEnabled; ++i) {
                if (i == r.ticksBefore && r.request.empty() && r.cancelled) countdown.Cancel();
                if (i == r.ticksBefore) h.cancelRequest = r.request;
                h.now += 1000;
                countdown.Tick();
            }
        } catch (const ProcessEnded&) {
            ended = true;
        }
        EXPECT_TRUE(ended) << r.what;
        EXPECT_EQ(h.commands.size(), r.commands) << r.what;
        EXPECT_EQ(h.exitCode, r.cancelled ? kExitCancelled : kExitDone) << r.what;
        if (r.cancelled) {
            EXPECT_EQ(h.lines.back(), r.request.empty() ? kCancelled : by) << r.what;
            EXPECT_EQ(h.events, (r.commands ? std::vector<std::string>{"2", "5:<0>"} : std::vector<std::string>{"5:<0>"}))
                << r.what;
            EXPECT_EQ(std::pair(h.calls.back(), h.timerEnabled), std::pair(std::string("end program"), false)) << r.what;
        }
        // The phases "/Cancel" reads, in order, for this run; cancelled by whom.
        std::string phases;
        for (const RunState& p : h.published) {
            EXPECT_EQ(p.run, "run-1") << r.what;
            phases += "CRSX"[static_cast<int>(p.phase)];
        }
        EXPECT_EQ(phases, r.phases) << r.what;
        if (!r.request.empty() && r.cancelled) EXPECT_EQ(h.published.back().by, "SRV\\bob") << r.what;
    }
}

TEST(Cancel, TheAnswerFromWhatTheRequestFound) {
    const RunState counting{RunPhase::Counting, "run-1"}, reboot{RunPhase::RebootCounting, "run-1"},
        down{RunPhase::ShuttingDown, "run-1"}, done{RunPhase::Cancelled, "run-1", "SRV\\bob"},
        other{RunPhase::Counting, "run-2"};
    EXPECT_EQ(ParseRunState(RunStateText(done))->by, "SRV\\bob");
    EXPECT_FALSE(ParseRunState("phase sleeping\r\nrun run-1\r\n"));
    // Before: only a held lock and a countdown take a request.
    EXPECT_EQ(BeforeRequest(false, counting), CancelAnswer::NoRun) << "a dead run's state";
    EXPECT_EQ(BeforeRequest(true, std::nullopt), CancelAnswer::NoRun);
    EXPECT_EQ(BeforeRequest(true, down), CancelAnswer::TooLate);
    EXPECT_EQ(BeforeRequest(true, counting), std::nullopt);
    EXPECT_EQ(BeforeRequest(true, reboot), std::nullopt);
    // After: the run's word, else the lock's.
    EXPECT_EQ(AfterRequest("run-1", RunPhase::Counting, true, counting), std::nullopt) << "not taken yet";
    EXPECT_EQ(AfterRequest("run-1", RunPhase::Counting, false, done), CancelAnswer::Cancelled) << "taken, and gone";
    EXPECT_EQ(AfterRequest("run-1", RunPhase::RebootCounting, true, done), CancelAnswer::CancelledStopped);
    EXPECT_EQ(AfterRequest("run-1", RunPhase::Counting, true, down), CancelAnswer::TooLate);
    EXPECT_EQ(AfterRequest("run-1", RunPhase::Counting, false, counting), CancelAnswer::NoRun) << "ended without it";
    EXPECT_EQ(AfterRequest("run-1", RunPhase::Counting, true, other), CancelAnswer::NoRun) << "another run now";
    EXPECT_EQ(ExitCodeOf(CancelAnswer::Cancelled) + ExitCodeOf(CancelAnswer::CancelledStopped), 0);
    // Which verb (the routing table checks what is refused).
    EXPECT_EQ((std::vector{ParseRunControl(L" -CANCEL "), ParseRunControl(L"/skip"), ParseRunControl(L"/Skip:off")}),
              (std::vector{RunControlVerb::Cancel, RunControlVerb::Skip, RunControlVerb::SkipOff}));
}

TEST(Notice, EveryOtherSessionIsToldWhatWhenAndHowToStopItWithoutWaiting) {
    Templates h;
    h.sessions = {{2, "SRV\\ann"}, {5, ""}, {7, "SRV\\cy"}};
    h.unreachable = {7};
    RestartCountdown countdown(h, ActionBounce, {"PmNotifySvr", "PmSyncSvr"});
    countdown.Start();
    ASSERT_EQ(h.notices.size(), 2u);
    for (const auto& n : h.notices) {
        EXPECT_EQ(n.title, "<" + std::to_string(IDS_NOTICE_TITLE) + ">");
        EXPECT_EQ(n.text, "PmNotifySvr, PmSyncSvr restart at T1796600020 (T1796600020).\r\n\r\nType /Cancel.");
        EXPECT_EQ(std::pair(n.seconds, n.at), std::pair(20, 0L)) << "as long as the countdown, sent at its start";
    }
    EXPECT_EQ(h.lines, (std::vector<std::string>{"    Notice sent to session 2 (SRV\\ann)", "    Notice sent to session 5",
                                                 "    The notice could not be sent to session 7 (SRV\\cy): The RPC server is unavailable."}));
    EXPECT_TRUE(h.events.empty()) << "a notice never fails the run";
    EXPECT_TRUE(h.timerEnabled);
    // Who is told: the active sessions, never the program's own (session 0 at night).
    const std::vector<Session> told = SessionsToTell(
        {{0, false, "SYSTEM"}, {1, true, "SRV\\ann"}, {2, false, "SRV\\gone"}, {3, true, ""}, {4, true, "SRV\\me"}}, 4);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(std::pair(told[0].id, told[0].user), std::pair(1u, std::string("SRV\\ann")));
    EXPECT_EQ(told[1].id, 3u);
    // A value that holds "%1" stays as it is.
    EXPECT_EQ(NoticeTextOf(h, NoticeKind::Bounce, {"%1"}, 100), "%1 restart at T100 (T100).\r\n\r\nType /Cancel.");
    // Nobody to tell, or no list: one line, and the run goes on.
    for (const std::string& error : {std::string(), std::string("Access is denied.")}) {
        FakeHost quiet;
        quiet.sessionsError = error;
        RestartCountdown c(quiet, ActionReboot, {});
        c.Start();
        EXPECT_EQ(quiet.lines, std::vector<std::string>{error.empty() ? "    Nobody else is logged on to the server: no notice sent."
                                                                       : "    Nobody on the server could be told: " + error});
    }
}

}  // namespace
