#include "restart/frmRestart.h"

#include "hostenv/FolderAccess.h"
#include "hostenv/OrvaneVersion.h"
#include "hostenv/RegistryAPI.h"
#include "localize/FormTexts.h"
#include "localize/RestartResCONST.h"
#include "localize/modLocalize.h"
#include "logging/modLogging.h"
#include "machine/GatewayControl.h"
#include "restart/NightControl.h"
#include "logging/LogNames.h"
#include "verify/BootCheck.h"
#include "verify/BootVerdict.h"
#include "verify/VerifyHost.h"
#include "machine/modCallExternalApp.h"
#include "runtime/App.h"
#include "runtime/Dialogs.h"
#include "runtime/ErrorReporting.h"
#include "runtime/FileSystem.h"
#include "runtime/Text.h"
#include "core/ActionValues.h"
#include "process/ProgramEnd.h"

namespace {
// Client area and control positions in twips, as designed.
constexpr int kClientWidth = 5430;
constexpr int kClientHeight = 2310;
}  // namespace

// The machine as the restart sequences see it, through this window.
class frmRestart::Host : public RestartHost {
public:
    explicit Host(frmRestart& form) : form_(form) {}

    std::int32_t Start(const std::string& commandLine, WindowStyle style) override {
        return StartCommand(rt::FromUtf8(commandLine), style);
    }
    bool Wait(std::int32_t pid, std::int32_t timeoutMs) override { return bWaitForProcess(pid, timeoutMs); }
    void Pause(std::int32_t ms) override { rt::WaitPaintingOnly(nullptr, static_cast<DWORD>(ms)); }
    void SetCurrentDrive(const std::string& drive) override {
        if (!drive.empty()) ::SetCurrentDirectoryW(rt::FromUtf8(drive).c_str());
    }
    void SetCurrentFolder(const std::string& folder) override {
        if (!::SetCurrentDirectoryW(rt::FromUtf8(folder).c_str())) throw ProgramError(kErrPathNotFound, "Path not found");
    }
    std::string ProgramFolder() override { return rt::ToUtf8(rt::App().path); }
    std::string DriveOf(const std::string& path) override {
        return rt::ToUtf8(rt::gFileSystem().GetDriveName(rt::FromUtf8(path)));
    }
    std::string ProductRootPath() override {
        return rt::ToUtf8(::ProductRootPath());
    }
    void Log(const std::string& text) override { WriteLogLine(std::string_view(text), true); }
    void CloseLog() override { CloseLogFile(); }
    void InfoEvent(int number, const std::string& name) override {
        form_.EventLog().LogInfoEvent(number, rt::FromUtf8(name));
    }
    void ErrorEvent(const std::string& text) override { form_.EventLog().LogErrorEvent(5, rt::FromUtf8(text)); }
    std::string Text(int id) override { return rt::ToUtf8(mymyLoadString(id)); }
    void SetStatus(const std::string& text) override { form_[L"lblStatus"].SetCaption(rt::FromUtf8(text)); }
    void SetSeconds(const std::string& text) override { form_[L"lblSeconds"].SetCaption(rt::FromUtf8(text)); }
    void RepaintStatus() override { form_[L"lblStatus"].Refresh(); }
    void RepaintSeconds() override { form_[L"lblSeconds"].Refresh(); }
    void SetTimerEnabled(bool on) override { form_.GetTimer(L"Timer1").SetEnabled(on); }
    void GatewayCreate() override {
        gateway_.reset();  // drop any earlier reference first
        gateway_ = std::make_unique<GatewayControl>();
    }
    std::int32_t GatewayLastStatus() override { return Gateway().LastStatus(); }
    void GatewayStopTr() override { Gateway().StopTr(); }
    void GatewayStartTr() override { Gateway().StartTr(); }
    ServiceState QueryService(const std::string& name) override { return QueryServiceState(rt::FromUtf8(name)); }
    StoredNumber VerifySecondsSetting() override { return ReadProgramNumber(L"VerifySeconds"); }
    StoredNumber RebootMinutesSetting() override { return ReadProgramNumber(L"RebootMinutes"); }
    std::int64_t NowMs() override { return static_cast<std::int64_t>(::GetTickCount64()); }
    std::string ClaimRun() override { return ClaimRestartRun(); }
    std::string FolderWriters() override { return rt::ToUtf8(FolderWritersBesidesAdmins(rt::App().path)); }
    void ScheduleBootCheck(std::int32_t minutes) override { ::ScheduleBootCheck(LogFilePath, minutes); }
    void DeleteBootCheck() override { ::DeleteBootCheck(); }
    BootCheckRecord ReadBootCheck() override { return ::ReadBootCheck(); }
    std::int64_t NowUtcSeconds() override { return UtcSecondsNow(); }
    void OpenRunLog(const std::string& recorded) override {
        const std::wstring path = rt::FromUtf8(recorded);
        // Only a plain run log in the logs folder: never a file a link leads to.
        const DWORD folder = ::GetFileAttributesW(LogFolder().c_str());
        if (!path.empty() && IsRunLogIn(recorded, rt::ToUtf8(LogFolder())) && folder != INVALID_FILE_ATTRIBUTES &&
            !(folder & FILE_ATTRIBUTE_REPARSE_POINT) && IsPlainFile(path)) {
            LogFilePath = path;
            FlushLogFile();  // opens it for appending
        } else {
            OpenLogFile(GenerateNewLogFileName());
        }
    }
    SkipRecord ReadSkip() override { return ReadSkipRecord(); }
    bool ClearSkip(std::string& error) override { return ClearSkipRecord(error); }
    void PublishRunState(const RunState& state) override {
        std::string error;
        // Without it no "/Cancel" reaches this run; the run itself goes on.
        if (!WriteRunState(state, error)) Log("    Warning: /Cancel cannot reach this run: " + error);
    }
    std::string CancelRequestText() override { return ReadCancelRequestText(); }
    std::string RunIdentity() override { return ThisRunIdentity(); }
    std::vector<Session> OtherSessions(std::string& error) override { return OtherActiveSessions(error); }
    bool SendNotice(std::uint32_t session, const std::string& title, const std::string& text, std::int32_t seconds,
                    std::string& error) override {
        return SendSessionNotice(session, title, text, seconds, error);
    }
    std::string LocalTimeText(std::int64_t utcSeconds) override { return LocalTimeOf(utcSeconds); }
    void EndProcess(int exitCode) override { ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(exitCode)); }
    void EndProgram(int exitCode) override { ::EndProgram(exitCode); }

private:
    GatewayControl& Gateway() {
        if (!gateway_) throw ProgramError(kErrObjectNotSet, "Object variable or With block variable not set");
        return *gateway_;
    }
    frmRestart& form_;
    std::unique_ptr<GatewayControl> gateway_;
};

frmRestart::frmRestart() : rt::Form(L"frmRestart", L"Restart System", kClientWidth, kClientHeight) {
    AddTimer(L"Timer1", 1000).Tick = [this] { Timer1_Timer(); };
    Add(rt::ControlKind::Button, L"cmdCancel", L"Cancel Action", {1740, 1800, 2115, 435}).Click = [this] {
        cmdCancel_Click();
    };
    Add(rt::ControlKind::Label, L"Label3", L"Seconds", {2160, 780, 1995, 255});
    Add(rt::ControlKind::Label, L"lblSeconds", L"20", {1800, 780, 255, 255});
    Add(rt::ControlKind::Label, L"lblStatus", L"Shutting down Orvane in:", {180, 360, 4695, 195});
    Publish(L"frmRestart_Auto_Init", [this] { frmRestart_Auto_Init(); });
    host_ = std::make_unique<Host>(*this);
}

frmRestart::~frmRestart() = default;

EventLogger& frmRestart::EventLog() {
    if (!eventLog_) eventLog_ = std::make_unique<EventLogger>();
    return *eventLog_;
}

void frmRestart::frmRestart_Auto_Init() {
    // What is set after the fonts and the caption, in this order.
    static constexpr TextOf kTexts[] = {
        Ctl(L"cmdCancel", IDS_CANCEL_ACTION), Ctl(L"Label3", IDS_SECONDS), Ctl(L"lblStatus", IDS_SHUTTING_DOWN_IN),
    };
    ApplyFormTexts(*this, {true, IDS_RESTART_SYSTEM, kTexts},
                   {L"frmRestart_Auto_Init", mymyLoadString(IDS_ERROR_PREFIX)});
}

void frmRestart::ShowBootCheck() {
    bootCheck_ = true;
    Show(rt::ShowMode::Modeless);
}

void frmRestart::Form_Load() {
    // First, so that a Cancel at any moment of the load (the header's lines
    // let window events run) is logged and evented like any other.
    countdown_ = std::make_unique<RestartCountdown>(*host_, RestartAction, BounceServices(BounceServiceNames));
    rt::ContinueSilently([this] { frmRestart_Auto_Init(); });
    rt::ContinueSilently([] { InstalledVersion = getVersion(); });
    rt::ContinueSilently([] {
        const std::wstring folder = rt::App().path;
        EventSourceRegistration registration;
        registration.SetSourceName(kEventSource);
        registration.SetEventMessageFile(rt::JoinPath(folder, L"EVT_OrvaneScheduledRestart.dll"));
        registration.SetCategoryMessageFile(rt::JoinPath(folder, L"CAT_OrvaneScheduledRestart.dll"));
        registration.SetCategoryCount(2);
        registration.SetParameterMessageFile(rt::JoinPath(folder, L"PARAM_OrvaneScheduledRestart.dll"));
        registration.SetTypesSupported(7);
    });
    rt::ContinueSilently([this] {
        EventLog().SetMode(1);
        EventLog().SetSourceName(kEventSource);
        if (!bootCheck_) EventLog().LogInfoEvent(1);
    });
    if (bootCheck_) {
        // The status line alone: nobody need be there, nothing waits for a person.
        for (const wchar_t* control : {L"lblSeconds", L"Label3", L"cmdCancel"}) (*this)[control].SetVisible(false);
        (*this)[L"lblStatus"].SetCaption(mymyLoadString(IDS_VERIFYING));
        GetTimer(L"Timer1").SetEnabled(true);  // the check runs once the window shows
        return;
    }
    // The countdown takes the run lock, then opens the run log.
    rt::ContinueSilently([this] { countdown_->Start(); });
}

void frmRestart::Timer1_Timer() {
    if (bootCheck_) {
        GetTimer(L"Timer1").SetEnabled(false);
        rt::ContinueSilently([this] { RunBootCheck(*host_, StartupServices()); });
        return;
    }
    if (!countdown_) return;
    // The sequences report their own failures; nothing may escape a tick.
    rt::ContinueSilently([this] { countdown_->Tick(); });
}

void frmRestart::Form_Unload(bool& cancel) {
    // The check after the action cannot be stopped: the window stays.
    if (TheRunOutcome.verifying) {
        cancel = true;
        return;
    }
    // Closed by the user: no log line, no event, but not a good run either.
    TheRunOutcome.cancelled = true;
    EndProgram(TheRunOutcome.ExitCode());
}

void frmRestart::cmdCancel_Click() {
    if (TheRunOutcome.verifying) return;  // the action is done; its check goes on
    TheRunOutcome.cancelled = true;
    if (countdown_) countdown_->Cancel();
    EndProgram(TheRunOutcome.ExitCode());
}

frmRestart& TheRestartForm() {
    static frmRestart form;
    return form;
}
