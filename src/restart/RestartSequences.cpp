#include "restart/RestartSequences.h"

#include <algorithm>
#include <array>

#include "localize/RestartResCONST.h"
#include "core/ActionValues.h"
#include "restart/NightSteps.h"

namespace {

// How a shut-down step is waited for: its window, its time-out and the two
// lines that close it. The "Not finished" line names the real time-out, so
// the two are kept together.
struct StepWait {
    WindowStyle style;
    std::int32_t timeoutMs;
    const char* notFinished;
    const char* finished;
};

// Capitals as the first stops log them; the later ones write lower case.
constexpr StepWait kNetStop30{vbNormalFocus, 30000,
                              "(error) Net stop took longer than 30 seconds, task terminated",
                              "    Net stop process completed"};
constexpr const char* kNetStopDone = "    net stop process completed";
constexpr StepWait kNet30{vbNormalFocus, 30000,
                          "(error) net stop process took longer than 30 seconds, task terminated", kNetStopDone};
constexpr StepWait kNet40{vbNormalFocus, 40000,
                          "(error) net stop process took longer than 40 seconds, task terminated", kNetStopDone};
constexpr StepWait kNet60{vbNormalFocus, 60000,
                          "(error) net stop process took longer than 60 seconds, task terminated", kNetStopDone};
constexpr StepWait kKill40{vbMinimizedFocus, 40000,
                           "(error) Kill process took longer than 40 seconds, task terminated",
                           "    Kill process completed"};

struct ShutdownStep {
    const char* before;  // nullptr: no line before the step
    const char* command;
    const StepWait& wait;
};

// The fixed order of the product shut-down.
constexpr std::array<ShutdownStep, 17> kShutdown = {{
    // net takes one service name: "Net Stop PmDirWriter service" would fail
    // every time and leave the writer to the kill pass.
    {" Stopping PmDirWriter", "Net Stop PmDirWriter", kNetStop30},
    {" Stopping PmDirCatalog service", "Net STop PmDirCatalog", kNet30},
    {nullptr, "Net Stop PmGateway", kNetStop30},
    {"    Stopping PmCoreMgr", "Net Stop PmCoreMgr", kNetStop30},
    {"    Stopping PmDirLink", "Net Stop PmDirLink", kNetStop30},
    {"    Stopping PmDirCatalog service", "Net STop PmDirCatalog", kNet30},
    {"    Stopping PmNotifySvr service", "Net STop PmNotifySvr", kNet30},
    {"    Stopping PmBridgeLink (if installed)", "Net Stop PmBridgeLink", kNet30},
    {"    Stopping PmStoreMonSvr (if installed)", "Net Stop PmStoreMonSvr", kNet30},
    {"    Stopping PmReplDirSvc", "Net Stop PmReplDirSvc", kNet30},
    {"    Stopping PmSyncSvr", "Net Stop PmSyncSvr", kNet60},
    {"    Stopping PmSpeechSvr", "Net Stop PmSpeechSvr", kNet30},
    // What is left of the product's processes; the web server and the
    // database go after them, with the kill once more in between.
    {" killing all PM*.* services", "kill.exe pm*.* -f", kKill40},
    {" Stopping the WWW service", "Net Stop W3svc", kNet40},
    {" Stopping the SQL Server Agent service", "Net Stop SQLServerAgent", kNet40},
    {" killing all PM*.* services a 2nd time", "kill.exe pm*.* -f", kKill40},
    {" Stopping the MSSQLServer service", "Net Stop MSSQLServer", kNet40},
}};

constexpr std::size_t kSyncStep = 10;     // step 11: a pause follows it
constexpr std::size_t kFirstKillStep = 12;  // step 13: runs from the program's folder
constexpr std::int32_t kAfterSyncStopPause = 30000;

constexpr const char* kStartWeb = "Net Start W3svc";
constexpr const char* kStartGateway = "Net Start PmGateway";
constexpr std::array<const char*, 8> kOtherAutoStartServices = {
    "Net Start PmDirLink",   "Net Start PmDirCatalog", "Net Start PmNotifySvr", "Net Start PmDirWriter",
    "Net Start PmAuxSvr",    "Net Start PmSyncSvr",    "Net Start PmSpeechSvr", "Net Start PmReplDirSvc",
};

// Starts a command and waits; a command that cannot be started counts as
// one that did not finish in time.
bool RunAndWait(RestartHost& host, TickStep& step, const std::string& command, WindowStyle style, std::int32_t timeoutMs) {
    std::int32_t pid = 0;
    if (!step([&] { pid = host.Start(command, style); })) return false;
    bool finished = false;
    step([&] { finished = host.Wait(pid, timeoutMs); });
    return finished;
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

std::string WithTrailingBackslash(std::string folder) {
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder;
}

bool IsMessageSyncService(const std::string& name) {
    static constexpr char kPrefix[] = "PMSYN";
    if (name.size() < 5) return false;
    for (std::size_t i = 0; i < 5; ++i) {
        char c = name[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != kPrefix[i]) return false;
    }
    return true;
}

}  // namespace

void RunShutdown(RestartHost& host) {
    TickStep step(host);
    step([&] { host.Log(" Starting Orvane shutdown process"); });
    step([&] { host.SetStatus(host.Text(IDS_SHUTTING_DOWN_NOW)); });
    step([&] { host.SetSeconds(host.Text(IDS_ZERO)); });
    step([&] { host.RepaintStatus(); });
    step([&] { host.RepaintSeconds(); });
    step([&] { host.SetTimerEnabled(false); });

    step([&] { host.GatewayCreate(); });
    std::int32_t status = 32;  // a failed read leads to the stop request
    step([&] { status = host.GatewayLastStatus(); });
    if (status == 32) {
        step([&] { host.Log(" Orvane is running, stopping via gateway"); });
        step([&] { host.GatewayStopTr(); });
    }

    for (std::size_t i = 0; i < kShutdown.size(); ++i) {
        const ShutdownStep& s = kShutdown[i];
        if (i == kFirstKillStep) step([&] { host.SetCurrentFolder(host.ProgramFolder()); });
        if (s.before) step([&] { host.Log(s.before); });
        const bool finished = RunAndWait(host, step, s.command, s.wait.style, s.wait.timeoutMs);
        step([&] { host.Log(finished ? s.wait.finished : s.wait.notFinished); });
        if (i == kSyncStep) step([&] { host.Pause(kAfterSyncStopPause); });
    }

    step([&] { host.InfoEvent(2); });
    step([&] { host.Log(" Orvane is off line."); });
}

std::vector<std::string> StartupServices() {
    std::vector<std::string> names{ServiceOfCommand(kStartWeb), ServiceOfCommand(kStartGateway)};
    for (const char* command : kOtherAutoStartServices) names.push_back(ServiceOfCommand(command));
    return names;
}

std::vector<std::string> RestartServices() {
    std::vector<std::string> names;
    for (const ShutdownStep& s : kShutdown) names.push_back(ServiceOfCommand(s.command));
    for (const std::string& name : StartupServices()) names.push_back(name);
    names.erase(std::remove(names.begin(), names.end(), std::string()), names.end());
    return names;
}

void RunStartup(RestartHost& host, Verification* verification) {
    TickStep step(host);
    const auto run = [&](const std::string& command) {
        RunAndWait(host, step, command, vbMinimizedNoFocus, kWaitForever);
    };
    step([&] { host.Log(" Restarting Orvane"); });
    step([&] { host.InfoEvent(3); });
    step([&] { host.SetStatus(host.Text(IDS_VOICE_SERVER_STARTING)); });
    step([&] { host.RepaintStatus(); });
    step([&] { host.Log("    starting WWW service"); });
    run(kStartWeb);
    step([&] { host.Log("    starting gateway"); });
    run(kStartGateway);
    step([&] { host.Pause(2000); });
    step([&] { host.Log("    starting other auto start Orvane services"); });
    for (const char* command : kOtherAutoStartServices) run(command);

    std::string root;
    step([&] { root = host.ProductRootPath(); });
    // Quoted, so that a root with blanks starts the right file; a root
    // without its trailing backslash still names the file inside it.
    step([&] {
        const std::string tray = WithTrailingBackslash(root) + "PmTrayStatus.exe";
        host.Start(Quoted(tray), vbMinimizedNoFocus);
    });
    step([&] { host.GatewayCreate(); });
    step([&] { host.Log("    Orvane startup sequence initiated through gateway."); });
    step([&] { host.GatewayStartTr(); });
    if (verification) verification->Check(StartupServices());
    step([&] { host.CloseLog(); });
    step([&] { host.InfoEvent(10); });
    host.EndProcess(TheRunOutcome.ExitCode());
}

void RunReboot(RestartHost& host) {
    TickStep step(host);
    // The verdict comes after the boot, from a task that runs "/Verify".
    Verification check(host);
    check.Prepare({});
    bool scheduled = false;
    if (check.On()) {
        std::string writers;
        step([&] { writers = host.FolderWriters(); });
        std::string why;
        if (!writers.empty()) {
            // That task runs as the local system account, from this folder.
            why = "The check after the boot is not scheduled: " + FolderWarning(host, writers);
        } else {
            StoredNumber stored;
            step([&] { stored = host.RebootMinutesSetting(); });
            const std::int32_t minutes = BoundOrDefault(host, stored, kRebootMinutesRule);
            try {
                host.ScheduleBootCheck(minutes);
                scheduled = true;
                step([&] { host.Log(std::string("    The check after the boot is scheduled: task \"") + kBootCheckTask + "\""); });
            } catch (const std::exception& e) {
                why = std::string("The check after the boot could not be scheduled: ") + e.what();
            }
        }
        if (!why.empty()) {
            step([&] { host.Log("(error) " + why); });
            step([&] { ReportFailure(host, why); });
        }
    }
    step([&] { host.InfoEvent(4); });
    step([&] { host.Log(" Server reboot sequence initiated."); });
    step([&] { host.CloseLog(); });
    step([&] { host.SetStatus(host.Text(IDS_RESTARTING_SERVER)); });
    step([&] { host.SetSeconds(host.Text(IDS_ZERO)); });
    step([&] { host.SetTimerEnabled(false); });
    std::string folder;
    step([&] { folder = host.ProgramFolder(); });
    step([&] { host.SetCurrentDrive(host.DriveOf(folder)); });
    step([&] { host.SetCurrentFolder(folder); });
    const bool started =
        step([&] { host.Start(Quoted(WithTrailingBackslash(folder) + "reboot.bat"), vbMinimizedFocus); });
    // No reboot: no check may fire at some later boot.
    if (!started && scheduled) step([&] { host.DeleteBootCheck(); });
    step([&] { host.Pause(100); });
    host.EndProgram(TheRunOutcome.ExitCode());
}

namespace {

// One pass of the bounce over every named service.
struct BouncePass {
    const char* heading;  // nullptr: no line before the pass
    const char* verb;     // "    <verb> <service> service"
    int eventBefore, eventAfter;  // 0: none
    const char* command;  // the service's name follows, then the tail
    const char* tail;
    std::int32_t timeoutMs;
    const char* finished;
    const char* late;
    int failureText;      // string id, the service's name follows
    std::int32_t pauseAfterSync;  // after the message-sync service
    std::int32_t pauseAfter;
};

constexpr BouncePass kBouncePasses[] = {
    {"Starting the service shut down sequence", "Stopping", 6, 7, "Net Stop ", "", 120000,
     "    net stop process completed", "(error) net stop process took longer than 120 seconds, task terminated",
     IDS_COULD_NOT_STOP, 60000, 5000},
    {nullptr, "Killing", 0, 0, "Kill ", " -f", 60000, "    Kill process completed",
     "(error) kill process took longer than 60 seconds, task terminated", IDS_COULD_NOT_STOP, 0, 5000},
    {"Starting the service initialization", "Starting", 8, 9, "Net start ", "", 60000,
     "    net start process completed", "(error) net start process took longer than 60 seconds, task terminated",
     IDS_COULD_NOT_START, 0, 0},
};

}  // namespace

void RunBounce(RestartHost& host, const std::vector<std::string>& services, Verification* verification) {
    TickStep step(host);
    step([&] { host.SetSeconds(host.Text(IDS_ZERO)); });
    step([&] { host.RepaintStatus(); });
    step([&] { host.RepaintSeconds(); });
    step([&] { host.SetTimerEnabled(false); });
    if (services.empty()) {
        step([&] { host.Log("(error) no services included in shutdown request"); });
        step([&] { host.CloseLog(); });
        step([&] { ReportFailure(host, host.Text(IDS_NO_SERVICES)); });
        host.EndProcess(TheRunOutcome.ExitCode());
        return;
    }
    if (verification) verification->Prepare(services);
    for (const BouncePass& pass : kBouncePasses) {
        if (pass.heading) step([&] { host.Log(pass.heading); });
        for (const std::string& name : services) {
            step([&] { host.Log(std::string("    ") + pass.verb + " " + name + " service"); });
            if (pass.eventBefore) step([&] { host.InfoEvent(pass.eventBefore, name); });
            if (RunAndWait(host, step, pass.command + name + pass.tail, vbNormalFocus, pass.timeoutMs)) {
                step([&] { host.Log(pass.finished); });
                if (pass.eventAfter) step([&] { host.InfoEvent(pass.eventAfter, name); });
            } else {
                step([&] { host.Log(pass.late); });
                step([&] { ReportFailure(host, host.Text(pass.failureText) + name); });
            }
            if (pass.pauseAfterSync && IsMessageSyncService(name)) step([&] { host.Pause(pass.pauseAfterSync); });
        }
        if (pass.pauseAfter) step([&] { host.Pause(pass.pauseAfter); });
    }
    if (verification) verification->Check(services);
    step([&] { host.InfoEvent(10); });
    step([&] { host.CloseLog(); });
    host.EndProcess(TheRunOutcome.ExitCode());
}

void RestartCountdown::Publish(RunPhase phase, const std::string& by) {
    TickStep step(host_);
    step([&] { host_.PublishRunState({phase, host_.RunIdentity(), by}); });
}

void RestartCountdown::Start() {
    TickStep step(host_);
    if (!ClaimRunThenOpenLog(host_, {})) return;
    if (EndIfSkipped(host_)) return;
    Publish(RunPhase::Counting);
    step([&] { host_.SetStatus(host_.Text(action_ == 3 ? IDS_RESTARTING_SELECTED : IDS_SHUTTING_DOWN_IN)); });
    shutdownPending_ = true;
    secondsLeft_ = 20;
    const NoticeKind kind = action_ == 3 ? NoticeKind::Bounce : action_ == 1 ? NoticeKind::Reboot : NoticeKind::Restart;
    TellPeople(host_, kind, action_ == 3 ? services_ : std::vector<std::string>{}, secondsLeft_);
    step([&] { host_.SetTimerEnabled(true); });
}

void RestartCountdown::Tick() {
    if (ticking_) return;
    ticking_ = true;
    struct Done {
        bool& ticking;
        ~Done() { ticking = false; }  // also when the action ends the program
    } done{ticking_};
    TickStep step(host_);
    // Both countdowns can be stopped from another process, as by the button.
    if (const std::string by = CancelRequestFor(host_); !by.empty()) {
        CancelByRequest(by);
        return;
    }
    --secondsLeft_;
    if (secondsLeft_ > 0) {
        step([&] { host_.SetSeconds(std::to_string(secondsLeft_)); });
        return;
    }
    // From here a half-stopped product must come back: no "/Cancel" any more.
    Publish(RunPhase::ShuttingDown);
    if (action_ == 3) {
        RunBounce(host_, services_, &verification_);
        return;
    }
    if (shutdownPending_) {
        // The reboot is checked after the boot, not here.
        if (action_ != 1) verification_.Prepare(RestartServices());
        RunShutdown(host_);
        shutdownPending_ = false;
        if (action_ == 1) {
            Publish(RunPhase::RebootCounting);
            step([&] { host_.SetStatus(host_.Text(IDS_VOICE_SERVER_STOPPED)); });
            step([&] { host_.RepaintStatus(); });
            secondsLeft_ = 20;
            step([&] { host_.SetSeconds(host_.Text(IDS_TWENTY)); });
            step([&] { host_.RepaintSeconds(); });
            TellPeople(host_, NoticeKind::RebootNow, {}, secondsLeft_);
            step([&] { host_.SetTimerEnabled(true); });
            return;
        }
        RunStartup(host_, &verification_);
        return;
    }
    RunReboot(host_);
}

void RestartCountdown::Cancel() { Stop({}); }

void RestartCountdown::CancelByRequest(const std::string& by) { Stop(by); }

void RestartCountdown::Stop(const std::string& by) {
    if (TheRunOutcome.verifying) return;
    TickStep step(host_);
    secondsLeft_ = 20;
    step([&] { host_.SetTimerEnabled(false); });
    step([&] { host_.Log("(error) Restart sequence stopped by user intervention.  Restart termianted."); });
    if (!by.empty()) step([&] { host_.Log("    Stopped by /Cancel, sent by " + by); });
    step([&] { host_.ErrorEvent(host_.Text(IDS_USER_CANCELED)); });
    TheRunOutcome.cancelled = true;
    // Last: "/Cancel" answers once it reads this.
    if (!by.empty()) Publish(RunPhase::Cancelled, by);
    host_.EndProgram(TheRunOutcome.ExitCode());
}

std::vector<PlannedCommand> RestartCommands() {
    std::vector<PlannedCommand> commands;
    for (const ShutdownStep& step : kShutdown) commands.push_back({step.command, step.wait.style, step.wait.timeoutMs});
    commands.push_back({kStartWeb, vbMinimizedNoFocus, kWaitForever});
    commands.push_back({kStartGateway, vbMinimizedNoFocus, kWaitForever});
    for (const char* command : kOtherAutoStartServices) commands.push_back({command, vbMinimizedNoFocus, kWaitForever});
    return commands;
}
