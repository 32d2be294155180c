#include "preview/Preview.h"

#include <algorithm>

#include "core/ActionValues.h"
#include "localize/RestartResCONST.h"
#include "restart/RestartSequences.h"
#include "verify/Verification.h"

namespace {

// The machine as the sequences see it during a preview: every read goes to
// the server, every act is written down instead. The run's success path is
// recorded: each command finishes in time, each service answers "running"
// (a service this server lacks is still named, as the run names it).
class PlanRecorder final : public RestartHost {
public:
    explicit PlanRecorder(ServerReader& reader) : r_(reader) {}
    Plan plan;
    bool timerOn = false;

    // One second of a countdown has passed.
    void Second() {
        if (plan.entries.empty() || plan.entries.back().kind != PlanEntry::Countdown) Push({PlanEntry::Countdown});
        plan.entries.back().ms += 1000;
    }

    std::int32_t Start(const std::string& line, WindowStyle style) override {
        PlanEntry e{PlanEntry::Command, line, kNoWait};
        e.style = style;
        Push(std::move(e));
        return static_cast<std::int32_t>(plan.entries.size());
    }
    bool Wait(std::int32_t pid, std::int32_t timeoutMs) override {
        plan.entries.at(static_cast<std::size_t>(pid - 1)).ms = timeoutMs;
        return true;
    }
    void Pause(std::int32_t ms) override {
        Push({PlanEntry::Pause, {}, ms});
        now_ += ms;
    }
    void SetCurrentDrive(const std::string&) override {}
    void SetCurrentFolder(const std::string& folder) override { Push({PlanEntry::Folder, folder}); }
    std::string ProgramFolder() override { return r_.ProgramFolder(); }
    std::string DriveOf(const std::string& path) override { return r_.DriveOf(path); }
    std::string ProductRootPath() override { return r_.ProductRootPath(); }
    void Log(const std::string& text) override { Push({PlanEntry::Line, text}); }
    void CloseLog() override {}
    void InfoEvent(int number, const std::string& name) override {
        PlanEntry e{PlanEntry::Event, name};
        e.number = number;
        Push(std::move(e));
    }
    void ErrorEvent(const std::string& text) override {
        PlanEntry e{PlanEntry::Event, text};
        e.number = 5;
        Push(std::move(e));
        plan.runErrors.push_back(text);
    }
    std::string Text(int id) override { return r_.Text(id); }
    void SetStatus(const std::string&) override {}
    void SetSeconds(const std::string&) override {}
    void RepaintStatus() override {}
    void RepaintSeconds() override {}
    void SetTimerEnabled(bool on) override { timerOn = on; }
    void GatewayCreate() override { Push({PlanEntry::Gateway, "create"}); }
    std::int32_t GatewayLastStatus() override {
        Push({PlanEntry::Gateway, "LastStatus"});
        return 32;  // running: the stop request follows, as it would
    }
    void GatewayStopTr() override { Push({PlanEntry::Gateway, "StopTr"}); }
    void GatewayStartTr() override { Push({PlanEntry::Gateway, "StartTr"}); }
    ServiceState QueryService(const std::string& name) override {
        if (r_.QueryService(name).kind == ServiceState::NotInstalled) return {ServiceState::NotInstalled, "not installed"};
        return {ServiceState::Running, "running"};
    }
    StoredNumber VerifySecondsSetting() override { return r_.VerifySecondsSetting(); }
    StoredNumber RebootMinutesSetting() override { return r_.RebootMinutesSetting(); }
    std::int64_t NowMs() override { return now_; }
    void CheckBegins(std::int32_t seconds, const std::vector<std::string>& services) override {
        PlanEntry e{PlanEntry::Check, {}, seconds * 1000};
        e.services = services;
        Push(std::move(e));
    }
    void ScheduleBootCheck(std::int32_t minutes) override {
        PlanEntry e{PlanEntry::BootCheck, kBootCheckTask};
        e.number = minutes;
        Push(std::move(e));
    }
    void DeleteBootCheck() override {}
    BootCheckRecord ReadBootCheck() override { return {}; }
    std::int64_t NowUtcSeconds() override { return 0; }
    void OpenRunLog(const std::string&) override { Push({PlanEntry::OpenLog}); }
    std::string ClaimRun() override {
        Push({PlanEntry::Lock});
        return {};  // never taken: the state section says whether it is free
    }
    std::string FolderWriters() override { return r_.FolderWriters(); }
    // The run's own skip is shown apart: the plan is the night's when it runs.
    SkipRecord ReadSkip() override { return {}; }
    bool ClearSkip(std::string&) override { return true; }
    void PublishRunState(const RunState&) override {}
    std::string CancelRequestText() override { return {}; }
    std::string RunIdentity() override { return "preview"; }
    // Who is logged on at night is not known now: the notice goes to everyone.
    std::vector<Session> OtherSessions(std::string&) override { return {{0, "everyone logged on"}}; }
    bool SendNotice(std::uint32_t, const std::string&, const std::string& text, std::int32_t, std::string&) override {
        std::string oneLine = text;
        for (char& c : oneLine) c = c == '\r' || c == '\n' ? ' ' : c;
        Push({PlanEntry::Line, "(the notice) " + oneLine});
        return true;
    }
    // The recorder's clock starts at the run's start.
    std::string LocalTimeText(std::int64_t utcSeconds) override {
        return "<start + " + std::to_string(utcSeconds) + " s>";
    }
    void EndProcess(int exitCode) override { End(exitCode); }
    void EndProgram(int exitCode) override { End(exitCode); }

private:
    void Push(PlanEntry e) { plan.entries.push_back(std::move(e)); }
    [[noreturn]] void End(int exitCode) {
        PlanEntry e{PlanEntry::End};
        e.number = exitCode;
        Push(std::move(e));
        throw ProcessEnded{};
    }
    ServerReader& r_;
    std::int64_t now_ = 0;
};

std::string Lower(std::string s) {
    for (char& c : s) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return s;
}

// The program a command line starts: a quoted path, or its first word (with
// ".exe" when it names no extension, as CreateProcess adds it).
std::string ProgramOf(const std::string& line) {
    if (!line.empty() && line[0] == '"') return line.substr(1, line.find('"', 1) - 1);
    std::string word = line.substr(0, line.find(' '));
    const std::size_t slash = word.find_last_of("\\/");
    if (word.find('.', slash == std::string::npos ? 0 : slash) == std::string::npos) word += ".exe";
    return word;
}

// Whole seconds, or tenths where a step is shorter ("0.1").
std::string Seconds(std::int64_t ms) {
    std::string text = std::to_string(ms / 1000);
    if (ms % 1000 != 0) {
        text += '.';
        text += static_cast<char>('0' + ms % 1000 / 100);
    }
    return text;
}

std::string WithoutTrailingBlanks(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

std::string StyleText(ServerReader& r, WindowStyle style) {
    switch (style) {
    case vbNormalFocus: return r.Text(IDS_PV_STYLE_NORMAL);
    case vbMinimizedFocus: return r.Text(IDS_PV_STYLE_MIN);
    case vbMinimizedNoFocus: return r.Text(IDS_PV_STYLE_MIN_NOFOCUS);
    default: return Fill(r.Text(IDS_PV_STYLE_OTHER), {std::to_string(style)});
    }
}

std::string WaitText(ServerReader& r, std::int32_t ms) {
    if (ms == kWaitForever) return r.Text(IDS_PV_WAIT_FOREVER);
    if (ms == kNoWait) return r.Text(IDS_PV_NO_WAIT);
    return Fill(r.Text(IDS_PV_WAIT), {Seconds(ms)});
}

std::string EntryText(ServerReader& r, const PlanEntry& e) {
    switch (e.kind) {
    case PlanEntry::Countdown: return Fill(r.Text(IDS_PV_COUNTDOWN), {Seconds(e.ms)});
    case PlanEntry::Lock: return r.Text(IDS_PV_LOCK);
    case PlanEntry::OpenLog: return r.Text(IDS_PV_OPEN_LOG);
    case PlanEntry::Line: return Fill(r.Text(IDS_PV_LOG), {e.text});
    case PlanEntry::Command: return Fill(r.Text(IDS_PV_RUN), {e.text, StyleText(r, e.style), WaitText(r, e.ms)});
    case PlanEntry::Pause: return Fill(r.Text(IDS_PV_PAUSE), {Seconds(e.ms)});
    case PlanEntry::Folder: return Fill(r.Text(IDS_PV_FOLDER), {e.text});
    case PlanEntry::Event: return WithoutTrailingBlanks(Fill(r.Text(IDS_PV_EVENT), {std::to_string(e.number), e.text}));
    case PlanEntry::Gateway: return Fill(r.Text(IDS_PV_GATEWAY_CALL), {e.text});
    case PlanEntry::Check: return Fill(r.Text(IDS_PV_CHECK), {Seconds(e.ms), Joined(e.services)});
    case PlanEntry::BootCheck: return Fill(r.Text(IDS_PV_BOOTCHECK), {e.text, std::to_string(e.number)});
    case PlanEntry::End: return Fill(r.Text(IDS_PV_END), {std::to_string(e.number)});
    }
    return {};
}

std::string GatewayText(ServerReader& r, const GatewayFacts& g) {
    const std::string state =
        !g.error.empty()       ? Fill(r.Text(IDS_PV_GW_UNREADABLE), {g.error})
        : !g.registered        ? r.Text(IDS_PV_GW_MISSING)
        : !g.serverFileExists  ? Fill(r.Text(IDS_PV_GW_NOFILE), {g.serverFile})
                               : Fill(r.Text(IDS_PV_GW_OK), {g.serverFile});
    return Fill(r.Text(IDS_PV_GATEWAY), {state});
}

std::string ProgramText(ServerReader& r, const ProgramFacts& p) {
    return p.found.empty() ? Fill(r.Text(IDS_PV_PROGRAM_MISSING), {p.name}) : Fill(r.Text(IDS_PV_PROGRAM), {p.name, p.found});
}

std::string LogsText(ServerReader& r, const LogFolderFacts& l) {
    return l.writable ? Fill(r.Text(IDS_PV_LOGS_OK), {l.folder, std::to_string(l.purgeCount)})
                      : Fill(r.Text(IDS_PV_LOGS_BAD), {l.folder, l.why});
}

std::string FolderText(ServerReader& r, const ServerFacts& f) {
    return f.folderWriters.empty() ? Fill(r.Text(IDS_PV_FOLDER_OK), {f.folder})
                                   : Fill(r.Text(IDS_PV_FOLDER_BAD), {f.folder, f.folderWriters});
}

std::string SchedulerText(ServerReader& r, const ServerFacts& f) {
    return f.taskSchedulerError.empty() ? r.Text(IDS_PV_SCHED_OK) : Fill(r.Text(IDS_PV_SCHED_BAD), {f.taskSchedulerError});
}

}  // namespace

std::string Fill(const std::string& text, const std::vector<std::string>& values) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] == '%' && next >= '1' && next <= '9' && static_cast<std::size_t>(next - '1') < values.size()) {
            out += values[static_cast<std::size_t>(next - '1')];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

Plan RecordPlan(ServerReader& reader, std::int16_t action, const std::vector<std::string>& services) {
    PlanRecorder recorder(reader);
    // The sequences keep the run's outcome process-wide; a preview leaves it as it was.
    const RunOutcome before = TheRunOutcome;
    TheRunOutcome = {};
    try {
        RestartCountdown countdown(recorder, action, services);
        countdown.Start();
        // A bound on the seconds, should the sequences ever stop ending.
        for (int second = 0; second < 3600 && recorder.timerOn; ++second) {
            recorder.Second();
            countdown.Tick();
        }
    } catch (const ProcessEnded&) {
    }
    TheRunOutcome = before;
    return std::move(recorder.plan);
}

WorstCase WorstCaseOf(const Plan& plan) {
    WorstCase worst;
    for (const PlanEntry& e : plan.entries) {
        switch (e.kind) {
        case PlanEntry::Command:
            if (e.ms == kWaitForever) ++worst.unbounded;
            if (e.ms > 0) worst.ms += e.ms;
            break;
        case PlanEntry::Countdown:
        case PlanEntry::Pause:
        case PlanEntry::Check: worst.ms += e.ms; break;
        default: break;
        }
    }
    return worst;
}

ServerFacts ReadServerFacts(ServerReader& reader, const Plan& plan) {
    ServerFacts facts;
    const auto service = [&](const std::string& name) -> ServiceFacts& {
        for (ServiceFacts& s : facts.services) {
            if (Lower(s.name) == Lower(name)) return s;
        }
        facts.services.emplace_back().name = name;
        return facts.services.back();
    };
    for (const PlanEntry& e : plan.entries) {
        if (e.kind == PlanEntry::Command) {
            if (const std::string name = ServiceOfCommand(e.text); !name.empty()) {
                service(name).startedByName |= Lower(e.text).rfind("net start ", 0) == 0;
            }
            const std::string program = ProgramOf(e.text);
            if (std::none_of(facts.programs.begin(), facts.programs.end(),
                             [&](const ProgramFacts& p) { return Lower(p.name) == Lower(program); })) {
                facts.programs.emplace_back().name = program;
            }
        }
        if (e.kind == PlanEntry::Check) {
            for (const std::string& name : e.services) service(name);
        }
        facts.usesGateway |= e.kind == PlanEntry::Gateway;
        facts.needsTaskScheduler |= e.kind == PlanEntry::BootCheck;
    }
    for (ServiceFacts& s : facts.services) {
        s.state = reader.QueryService(s.name);
        if (s.state.kind != ServiceState::NotInstalled) s.startType = reader.StartType(s.name);
    }
    for (ProgramFacts& p : facts.programs) p.found = reader.FindProgram(p.name);
    if (facts.usesGateway) facts.gateway = reader.Gateway();
    facts.logs = reader.LogFolder();
    facts.folder = reader.ProgramFolder();
    facts.folderWriters = reader.FolderWriters();
    facts.lock = reader.Lock();
    if (facts.needsTaskScheduler) facts.taskSchedulerError = reader.TaskSchedulerError();
    return facts;
}

std::vector<std::string> Problems(ServerReader& reader, const Plan& plan, const ServerFacts& facts) {
    std::vector<std::string> problems;
    for (const ProgramFacts& p : facts.programs) {
        if (p.found.empty()) problems.push_back(ProgramText(reader, p));
    }
    const GatewayFacts& g = facts.gateway;
    if (facts.usesGateway && (!g.error.empty() || !g.registered || !g.serverFileExists)) {
        problems.push_back(GatewayText(reader, g));
    }
    if (!facts.logs.writable) problems.push_back(LogsText(reader, facts.logs));
    if (!facts.folderWriters.empty()) problems.push_back(FolderText(reader, facts));
    if (facts.needsTaskScheduler && !facts.taskSchedulerError.empty()) problems.push_back(SchedulerText(reader, facts));
    for (const std::string& error : plan.runErrors) problems.push_back(Fill(reader.Text(IDS_PV_RUN_ERROR), {error}));
    return problems;
}

PreviewReport MakePreview(ServerReader& reader, const std::string& actionLine, std::int16_t action,
                          const std::vector<std::string>& services) {
    PreviewReport report;
    std::vector<std::string>& out = report.lines;
    const Plan plan = RecordPlan(reader, action, services);
    out.push_back(Fill(reader.Text(IDS_PV_ACTION), {actionLine}));
    for (const PlanEntry& e : plan.entries) out.push_back("    " + EntryText(reader, e));
    const WorstCase worst = WorstCaseOf(plan);
    out.push_back(Fill(reader.Text(IDS_PV_WORST), {Seconds(worst.ms)}));
    if (worst.unbounded) out.push_back(Fill(reader.Text(IDS_PV_WORST_OPEN), {std::to_string(worst.unbounded)}));

    const ServerFacts facts = ReadServerFacts(reader, plan);
    out.push_back({});
    out.push_back(reader.Text(IDS_PV_SERVER));
    for (const ServiceFacts& s : facts.services) {
        std::string line = s.state.kind == ServiceState::NotInstalled
                               ? Fill(reader.Text(IDS_PV_NOT_INSTALLED), {s.name})
                               : Fill(reader.Text(IDS_PV_SERVICE), {s.name, s.state.text, s.startType});
        if (s.startedByName && s.state.kind != ServiceState::NotInstalled) line = Fill(reader.Text(IDS_PV_BY_NAME), {line});
        out.push_back("    " + line);
    }
    for (const ProgramFacts& p : facts.programs) out.push_back("    " + ProgramText(reader, p));
    if (facts.usesGateway) {
        out.push_back("    " + GatewayText(reader, facts.gateway));
        out.push_back("    " + reader.Text(IDS_PV_GW_STATUS));
    }
    out.push_back("    " + LogsText(reader, facts.logs));
    out.push_back("    " + FolderText(reader, facts));
    out.push_back("    " + (!facts.lock.error.empty() ? Fill(reader.Text(IDS_PV_LOCK_UNKNOWN), {facts.lock.error})
                             : facts.lock.held     ? reader.Text(IDS_PV_LOCK_HELD)
                                                   : reader.Text(IDS_PV_LOCK_FREE)));
    if (facts.needsTaskScheduler) out.push_back("    " + SchedulerText(reader, facts));
    // Information only: the skip is the administrator's own choice.
    if (const std::string skip = reader.PendingSkipText(); !skip.empty()) out.push_back("    " + skip);

    const std::vector<std::string> problems = Problems(reader, plan, facts);
    out.push_back({});
    out.push_back(reader.Text(problems.empty() ? IDS_PV_READY : IDS_PV_NOT_READY));
    for (const std::string& p : problems) out.push_back("    - " + p);
    report.exitCode = problems.empty() ? 0 : 2;
    return report;
}
