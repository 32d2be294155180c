// The preview: the plan the real sequences make against the recording host,
// the verdict over the server's state, and the preview's command line.
#include <gtest/gtest.h>

#include <numeric>
#include <set>

#include "FakeHost.h"
#include "config/CommandLine.h"
#include "preview/Preview.h"

namespace {

// A server whose every fact can be set; texts are "[id] %1|%2|%3".
struct FakeReader : ServerReader {
    std::set<std::string> missingPrograms, uninstalled;
    GatewayFacts gateway{true, "C:\\Pellmark\\gw.dll", true, ""};
    LogFolderFacts logs{"C:\\Orvane\\logs", true, "", 3};
    std::string writers, schedulerError;
    StoredNumber verify{true, true, 300};
    std::string Text(int id) override { return "[" + std::to_string(id) + "] %1|%2|%3"; }
    std::string ProgramFolder() override { return "C:\\Program Files\\Orvane Restart"; }
    std::string DriveOf(const std::string& p) override { return p.substr(0, 2); }
    std::string ProductRootPath() override { return "C:\\Program Files\\Pellmark\\"; }
    ServiceState QueryService(const std::string& n) override {
        return uninstalled.count(n) ? ServiceState{ServiceState::NotInstalled, "not installed"}
                                    : ServiceState{ServiceState::Running, "running"};
    }
    std::string StartType(const std::string&) override { return "automatic"; }
    StoredNumber VerifySecondsSetting() override { return verify; }
    StoredNumber RebootMinutesSetting() override { return {}; }
    std::string FolderWriters() override { return writers; }
    std::string FindProgram(const std::string& p) override { return missingPrograms.count(p) ? "" : "C:\\found\\" + p; }
    GatewayFacts Gateway() override { return gateway; }
    LogFolderFacts LogFolder() override { return logs; }
    LockFacts Lock() override { return {}; }
    std::string TaskSchedulerError() override { return schedulerError; }
    std::string PendingSkipText() override { return pendingSkip; }
    std::string pendingSkip;
};

struct Action {
    const char* name;
    std::int16_t code;
    std::vector<std::string> services;
};
const Action kActions[] = {{"restart", ActionRestartOnly, {}},
                           {"reboot", ActionReboot, {}},
                           {"bounce", ActionBounce, {"PmNotifySvr", "PmSyncSvr"}}};

std::string Step(const std::string& line, int style, std::int32_t timeout) {
    return line + "|" + std::to_string(style) + "|" + std::to_string(timeout);
}

TEST(Preview, EachActionsPlanIsWhatItsRunDoes) {
    for (const char* missing : {"", "PmAuxSvr"}) for (const Action& a : kActions) {  // and a service not installed
        FakeHost run;  // the run, on the success path the plan shows
        run.verifySetting = {true, true, 300};
        run.uninstalled = {missing};
        run.sessions = {{0, "everyone logged on"}};  // as the plan tells them
        RestartCountdown countdown(run, a.code, a.services);
        ASSERT_TRUE(RunToEnd(run, countdown, 200)) << a.name;
        FakeReader reader;
        reader.uninstalled = {missing};
        const Plan plan = RecordPlan(reader, a.code, a.services);

        std::vector<std::string> ran, planned, runLines, planLines;
        std::vector<long> runPauses, planPauses;
        for (const Command& c : run.commands) ran.push_back(Step(c.line, c.style, c.timeout == 0 ? kNoWait : c.timeout));
        for (const std::string& l : run.lines) {
            // What the shut-down stopped and nothing started: the plan's services all answer "running".
            if (l.rfind("    Running before the shut-down", 0) != 0) runLines.push_back(l);
        }
        std::int64_t countdownMs = 0;
        for (const PlanEntry& e : plan.entries) {
            if (e.kind == PlanEntry::Command) planned.push_back(Step(e.text, e.style, e.ms));
            // The notice's own text is shown, not logged.
            if (e.kind == PlanEntry::Line && e.text.rfind("(the notice) ", 0) != 0) planLines.push_back(e.text);
            if (e.kind == PlanEntry::Pause) planPauses.push_back(e.ms);
            if (e.kind == PlanEntry::Countdown) countdownMs += e.ms;
        }
        for (long p : run.pauses) {
            if (p != 1000) runPauses.push_back(p);  // the check's polling: none on the success path
        }
        EXPECT_EQ(planned, ran) << a.name;
        EXPECT_EQ(planLines, runLines) << a.name;
        EXPECT_EQ(planPauses, runPauses) << a.name;
        EXPECT_EQ(countdownMs, a.code == ActionReboot ? 40000 : 20000) << a.name;
        EXPECT_EQ(plan.entries.back().kind, PlanEntry::End) << a.name;
        EXPECT_TRUE(plan.runErrors.empty()) << a.name;
    }
}

// The restart's worst case: the countdown, each shut-down command's time-out
// (ten of 30 s, the sync service's 60 s, the speech service's 30 s, five of
// 40 s), the pauses after the sync stop and before the other services, and
// the check's bound; the ten start commands have none.
TEST(Preview, TheRestartsWorstCaseAddsUp) {
    FakeReader reader;
    const WorstCase worst = WorstCaseOf(RecordPlan(reader, ActionRestartOnly, {}));
    EXPECT_EQ(worst.ms, 20000 + 10 * 30000 + 60000 + 30000 + 5 * 40000 + 30000 + 2000 + 300000);
    EXPECT_EQ(worst.unbounded, 10);
}

struct StateRow {
    const char* what;
    std::int16_t action;
    std::function<void(FakeReader&)> server;
    int exitCode;
    std::vector<std::string> problems;  // each is the start of one problem line
};

TEST(Preview, VerdictOverServerStates) {
    const StateRow rows[] = {
        {"all there", ActionReboot, [](FakeReader&) {}, 0, {}},
        {"no reboot.bat", ActionReboot,
         [](FakeReader& r) { r.missingPrograms.insert("C:\\Program Files\\Orvane Restart\\reboot.bat"); }, 2,
         {"[169] C:\\Program Files\\Orvane Restart\\reboot.bat"}},
        {"a restart needs no reboot.bat", ActionRestartOnly,
         [](FakeReader& r) { r.missingPrograms.insert("C:\\Program Files\\Orvane Restart\\reboot.bat"); }, 0, {}},
        {"no kill.exe", ActionRestartOnly, [](FakeReader& r) { r.missingPrograms.insert("kill.exe"); }, 2,
         {"[169] kill.exe"}},
        {"no net.exe", ActionBounce, [](FakeReader& r) { r.missingPrograms.insert("Net.exe"); }, 2, {"[169] Net.exe"}},
        {"gateway not registered", ActionRestartOnly, [](FakeReader& r) { r.gateway = {}; }, 2, {"[159] [162]"}},
        {"gateway's file gone", ActionReboot, [](FakeReader& r) { r.gateway.serverFileExists = false; }, 2,
         {"[159] [161] C:\\Pellmark\\gw.dll"}},
        {"registry unreadable", ActionReboot, [](FakeReader& r) { r.gateway = {false, "", false, "Access is denied."}; },
         2, {"[159] [190] Access is denied."}},
        {"a bounce needs no gateway", ActionBounce, [](FakeReader& r) { r.gateway = {}; }, 0, {}},
        {"logs not writable", ActionBounce, [](FakeReader& r) { r.logs = {"C:\\L", false, "Access is denied.", 0}; }, 2,
         {"[171] C:\\L|Access is denied."}},
        {"folder users may change", ActionReboot, [](FakeReader& r) { r.writers = "Everyone"; }, 2,
         {"[173] C:\\Program Files\\Orvane Restart|Everyone", "[181] The check after the boot is not scheduled"}},
        {"a service not installed is information", ActionRestartOnly,
         [](FakeReader& r) { r.uninstalled.insert("PmAuxSvr"); }, 0, {}},
        {"Task Scheduler down", ActionReboot, [](FakeReader& r) { r.schedulerError = "not running"; }, 2,
         {"[178] not running"}},
        {"a restart needs no Task Scheduler", ActionRestartOnly, [](FakeReader& r) { r.schedulerError = "x"; }, 0, {}},
        {"the check off: no boot check", ActionReboot,
         [](FakeReader& r) {
             r.verify = {true, true, 0};
             r.schedulerError = "not running";
         },
         0, {}},
    };
    for (const StateRow& row : rows) {
        FakeReader reader;
        row.server(reader);
        const PreviewReport report = MakePreview(reader, "/X", row.action, {"PmSyncSvr"});
        EXPECT_EQ(report.exitCode, row.exitCode) << row.what;
        const auto verdict = std::find(report.lines.begin(), report.lines.end(), row.exitCode ? "[180] %1|%2|%3" : "[179] %1|%2|%3");
        ASSERT_NE(verdict, report.lines.end()) << row.what;
        const std::vector<std::string> problems(verdict + 1, report.lines.end());
        ASSERT_EQ(problems.size(), row.problems.size()) << row.what;
        for (std::size_t i = 0; i < problems.size(); ++i) {
            EXPECT_EQ(problems[i].rfind("    - " + row.problems[i], 0), 0u) << row.what << ": " << problems[i];
        }
    }
    // A not-installed service is named in the state, and not as a problem.
    FakeReader reader;
    reader.uninstalled.insert("PmAuxSvr");
    const PreviewReport report = MakePreview(reader, "/Restart", ActionRestartOnly, {});
    EXPECT_NE(std::find(report.lines.begin(), report.lines.end(), "    [167] PmAuxSvr|%2|%3"), report.lines.end());
}

TEST(Preview, AnEmptyBounceIsNotReadyWithTheRunsOwnError) {
    FakeReader reader;
    const PreviewReport report = MakePreview(reader, "/Bounce", ActionBounce, {});
    EXPECT_EQ(report.exitCode, 2);
    EXPECT_EQ(report.lines.back().rfind("    - [181] [104]", 0), 0u) << report.lines.back();
}

struct LineRow {
    const wchar_t* line;
    bool valid;
    const char* action;  // the parsed action as a line
};

TEST(Preview, CommandLine) {
    const LineRow rows[] = {
        {L"/Preview /Restart", true, "/Restart"},
        {L"/preview /REBOOT", true, "/Reboot"},
        {L"/Bounce:pmsyncsvr:PmNotifySvr /Preview", true, "/Bounce:PmNotifySvr:PmSyncSvr"},
        {L"  /Preview\t/Bounce  ", true, "/Bounce"},
        {L"/Preview", false, ""},
        {L"/Preview /Restart /Reboot", false, ""},
        {L"/Preview /Preview /Restart", false, ""},
        {L"/Preview /Bounce:Bogus", false, ""},
        {L"/Preview /Bounce:PmSyncSvr:PmSyncSvr", false, ""},
        {L"/Preview /Bounce:PmSyncSvr:", false, ""},
        {L"/Preview /Restart:now", false, ""},
    };
    for (const LineRow& row : rows) {
        const std::string shown(row.line, row.line + std::wcslen(row.line));
        const ActionRequest request = ParsePreview(row.line);
        EXPECT_EQ(request.valid, row.valid) << shown;
        EXPECT_EQ(request.line, row.action) << shown;
    }
}

TEST(Preview, FillIsOnePass) {
    EXPECT_EQ(Fill("%1 and %2, %3", {"a%2", "b"}), "a%2 and b, %3");
}

}  // namespace
