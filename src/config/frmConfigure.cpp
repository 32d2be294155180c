#include "config/frmConfigure.h"

#include "about/frmAbout.h"
#include "config/CommandLine.h"
#include "localize/FormTexts.h"
#include "localize/RestartResCONST.h"
#include "localize/modLocalize.h"
#include "preview/PreviewReader.h"
#include "preview/frmPreview.h"
#include "restart/frmRestart.h"
#include "machine/modCallExternalApp.h"
#include "runtime/App.h"
#include "runtime/Dialogs.h"
#include "runtime/ErrorReporting.h"
#include "runtime/Text.h"
#include "schedule/frmSchedule.h"
#include "core/ActionValues.h"
#include "process/ProgramEnd.h"

namespace {
// The service boxes in the order the command line names them.
constexpr const wchar_t* kServiceBoxes[] = {L"chkPmNotifySvr", L"chkPmStoreMonSvr", L"chkPmSpeechSvr",
                                            L"chkPmSyncSvr"};
}  // namespace

frmConfigure::frmConfigure()
    : rt::Form(L"frmConfigure", L"Configure Scheduled Restart Options", 6180, 3930, rt::Form::kFixedDialog) {
    using K = rt::ControlKind;
    const auto option = [this] { OptionClicked(); };
    rt::Control& reboot = Add(K::OptionButton, L"optShutDownAndReboot",
                          L"Shut down Orvane and force reboot of server (recommended)", {240, 180, 5700, 480}, true);
    reboot.Click = option;
    // Made as Form_Load sets them, so that it has nothing to redo before
    // the first paint.
    reboot.SetValue(CheckState::Checked);
    Add(K::OptionButton, L"optShutDownOrvaneOnly", L"Shut down and restart Orvane only", {240, 720, 5700, 300}).Click =
        option;
    Add(K::OptionButton, L"optBounceServices", L"Stop and start selected services:", {240, 1080, 5700, 300}).Click =
        option;
    Add(K::CheckBox, L"chkPmNotifySvr", L"PmNotifySvr", {720, 1440, 3000, 255}, true);
    Add(K::CheckBox, L"chkPmSpeechSvr", L"PmSpeechSvr", {720, 1725, 3000, 255});
    Add(K::CheckBox, L"chkPmStoreMonSvr", L"PmStoreMonSvr", {720, 2010, 3000, 255});
    Add(K::CheckBox, L"chkPmSyncSvr", L"PmSyncSvr", {720, 2295, 3000, 255});
    for (const wchar_t* box : kServiceBoxes) (*this)[box].SetEnabled(false);
    Add(K::Button, L"cmdScheduleRestart", L"Schedule Selected Actions", {240, 3240, 2775, 435}, true).Click = [this] {
        cmdScheduleRestart_Click();
    };
    Add(K::Button, L"cmdExit", L"Exit", {4320, 3240, 1620, 435}).Click = [] { EndProgram(); };
    SetMenuBar({
        {L"mnuFile", L"File", nullptr,
         {{L"mnuViewLogDirectory", L"View log", [this] { mnuViewLogDirectory_Click(); }, {}},
          {L"mnuTestActions", L"Test selected actions", [this] { mnuTestActions_Click(); }, {}},
          {L"mnuPreview", L"Preview", [this] { ShowPreviewOfLine(strConstructCommandLine(), Hwnd()); }, {}},
          {L"seperator2", L"-", nullptr, {}},
          {L"mnuExit", L"Exit", [] { EndProgram(); }, {}}}},
        {L"HelpMenu", L"Help", nullptr,
         {{L"Help", L"Help", [this] { Help_Click(); }, {}},
          {L"seperator", L"-", nullptr, {}},
          {L"About", L"About", [this] { About_Click(); }, {}}}},
    });
    Publish(L"frmConfigure_Auto_Init", [this] { frmConfigure_Auto_Init(); });
}

void frmConfigure::frmConfigure_Auto_Init() {
    // What is set after the fonts and the caption, in this order.
    static constexpr TextOf kTexts[] = {
        Ctl(L"optShutDownOrvaneOnly", IDS_OPT_RESTART_ONLY), Ctl(L"optShutDownAndReboot", IDS_OPT_REBOOT), Ctl(L"optBounceServices", IDS_OPT_BOUNCE),
        Mnu(L"HelpMenu", IDS_HELP), Mnu(L"Help", IDS_HELP), Mnu(L"About", IDS_ABOUT),
        Mnu(L"mnuViewLogDirectory", IDS_VIEW_LOG), Mnu(L"mnuFile", IDS_FILE), Mnu(L"mnuExit", IDS_EXIT),
        Mnu(L"mnuTestActions", IDS_TEST_SELECTED), Mnu(L"mnuPreview", IDS_PREVIEW), Ctl(L"cmdExit", IDS_EXIT), Ctl(L"cmdScheduleRestart", IDS_SCHEDULE_SELECTED),
    };
    ApplyFormTexts(*this, {true, IDS_CONFIGURE_CAPTION, kTexts}, {L"frmConfigure_Auto_Init"});
}

void frmConfigure::Form_Load() {
    rt::ContinueSilently([] { InitalizeLanguages(); });
    rt::ContinueSilently([this] { frmConfigure_Auto_Init(); });
    // Nothing is stored: every opening starts from the recommended action.
    rt::ContinueSilently([this] { (*this)[L"optShutDownAndReboot"].SetValue(CheckState::Checked); });
    rt::ContinueSilently([this] { EnableServiceCheckBoxes(false); });
    rt::ContinueSilently([] { ParseCommandLine(ProgramArguments()); });
    // A scheduled "/Reboot" or "/Bounce" runs from here; the restart window
    // ends the program, so this window is never seen.
    rt::ContinueSilently([] {
        if (RestartAction != ActionNone) TheRestartForm().Show(rt::ShowMode::Modal);
    });
}

void frmConfigure::Form_Unload(bool&) { EndProgram(); }

void frmConfigure::EnableServiceCheckBoxes(bool enabled) {
    for (const wchar_t* box : kServiceBoxes) (*this)[box].SetEnabled(enabled);
}

void frmConfigure::OptionClicked() { EnableServiceCheckBoxes((*this)[L"optBounceServices"].Checked()); }

std::wstring frmConfigure::strConstructCommandLine() {
    CommandLineSelection selection;
    if ((*this)[L"optBounceServices"].Checked()) {
        selection.action = ScheduledAction::Bounce;
    } else if ((*this)[L"optShutDownAndReboot"].Checked()) {
        selection.action = ScheduledAction::Reboot;
    }
    for (std::size_t i = 0; i < std::size(kServiceBoxes); ++i) {
        selection.checkState[i] = (*this)[kServiceBoxes[i]].Value();
    }
    return BuildCommandLine(selection);
}

void frmConfigure::cmdScheduleRestart_Click() {
    frmSchedule schedule([this] { return strConstructCommandLine(); }, &ShowPreviewOfLine, &PendingSkipText);
    schedule.Show(rt::ShowMode::Modal, Hwnd());
}

void frmConfigure::mnuTestActions_Click() {
    // A real restart in this process: the restart window ends the program.
    ParseCommandLine(strConstructCommandLine());
    TheRestartForm().Show(rt::ShowMode::Modal);
}

void frmConfigure::mnuViewLogDirectory_Click() {
    const std::wstring path = rt::JoinPath(rt::App().path, L"RestartHistory.Log");
    if (bFileExists(path)) {
        // Quoted: the program folder usually holds blanks.
        // Nobody waits for notepad: its handle is not kept.
        rt::ContinueSilently([&] { ReleaseCommand(StartCommand(L"notepad.exe \"" + path + L"\"", vbMaximizedFocus)); });
    } else {
        rt::MsgBox(mymyLoadString(IDS_NO_LOGGING_ACTIVITY));
    }
}

void frmConfigure::Help_Click() { TheDetailsForm().Show(rt::ShowMode::Modeless, Hwnd()); }

void frmConfigure::About_Click() { TheAboutForm().Show(rt::ShowMode::Modal, Hwnd()); }

std::wstring PreviewText(const std::vector<std::string>& lines) {
    std::wstring text;
    for (const std::string& line : lines) text += rt::FromUtf8(line) + L"\r\n";
    return text;
}

void ShowPreviewOfLine(const std::wstring& line, HWND owner) {
    const ActionRequest request = ActionOfTaskLine(line);
    if (!request.valid) {
        rt::MsgBox(rt::FromUtf8(Fill(rt::ToUtf8(mymyLoadString(IDS_PV_NO_ACTION)), {rt::ToUtf8(line)})));
        return;
    }
    // The service manager, the registry and Task Scheduler are read now.
    const HCURSOR before = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    const PreviewReport report = PreviewOf(request.line, request.action, request.services);
    ::SetCursor(before);
    ShowPreviewWindow(rt::FromUtf8(Fill(rt::ToUtf8(mymyLoadString(IDS_PV_CAPTION)), {request.line})),
                      PreviewText(report.lines), owner);
}

frmConfigure& TheConfigureForm() {
    static frmConfigure form;
    return form;
}
