#include "schedule/frmTaskProperties.h"

#include "localize/FormTexts.h"
#include "localize/RestartResCONST.h"
#include "localize/modLocalize.h"
#include "runtime/Dialogs.h"
#include "runtime/ErrorReporting.h"
#include "schedule/ScheduledTasks.h"
#include "schedule/TaskTexts.h"
#include "schedule/TaskVerbs.h"

frmTaskProperties::frmTaskProperties(ScheduledTask& task)
    : rt::Form(L"frmTaskProperties", L"", 5400, 5430, rt::Form::kFixedDialog), task_(task) {
    using K = rt::ControlKind;
    Add(K::Label, L"lblStartTime", L"Start time (HH:MM):", {120, 150, 2400, 255});
    Add(K::TextBox, L"txtStartTime", L"", {2640, 120, 990, 315}, true);
    Add(K::Label, L"lblEvery", L"Every", {120, 570, 2400, 255});
    Add(K::TextBox, L"txtDays", L"", {2640, 540, 600, 315});
    Add(K::Label, L"lblDays", L"day(s)", {3330, 570, 1200, 255});
    Add(K::Label, L"lblBeginDate", L"Begin date (YYYY-MM-DD):", {120, 990, 2400, 255});
    Add(K::TextBox, L"txtBeginDate", L"", {2640, 960, 1500, 315});
    // In place of the fields above when the schedule is not one daily trigger.
    Add(K::Label, L"lblScheduleKept", L"", {120, 120, 5160, 420});
    Add(K::MultiLineText, L"txtTriggers", L"", {120, 570, 5160, 705});
    Add(K::CheckBox, L"chkEnabled", L"Enabled", {120, 1410, 5160, 300}, true);
    Add(K::Label, L"lblRunAs", L"Run as:", {120, 1830, 2400, 255});
    const auto account = [this] { AccountChoiceClicked(); };
    Add(K::OptionButton, L"optSystemAccount", L"Local system account", {240, 2130, 5040, 300}, true).Click = account;
    Add(K::OptionButton, L"optThisAccount", L"This account:", {240, 2460, 2400, 300}).Click = account;
    Add(K::TextBox, L"txtAccount", L"", {2640, 2430, 2640, 315}, true);
    Add(K::Label, L"lblPassword", L"Password:", {480, 2850, 2040, 255});
    Add(K::TextBox, L"txtPassword", L"", {2640, 2820, 2640, 315});
    // Five lines: the German and Japanese texts need them at 96 dpi.
    Add(K::Label, L"lblNoHighest", L"", {120, 3240, 5160, 1035});
    Add(K::Label, L"lblAccountNote", L"", {120, 4335, 5160, 420});
    Add(K::Button, L"cmdOK", L"OK", {2640, 4935, 1200, 375}, true).Click = [this] { cmdOK_Click(); };
    Add(K::Button, L"cmdCancel", L"Cancel", {3960, 4935, 1200, 375}).Click = [this] { Unload(); };
    Publish(L"frmTaskProperties_Auto_Init", [this] { frmTaskProperties_Auto_Init(); });
}

void frmTaskProperties::frmTaskProperties_Auto_Init() {
    // What is set after the fonts and the caption, in this order.
    static constexpr TextOf kTexts[] = {
        Ctl(L"lblStartTime", IDS_PROP_START_TIME), Ctl(L"lblEvery", IDS_PROP_EVERY),
        Ctl(L"lblDays", IDS_PROP_DAYS), Ctl(L"lblBeginDate", IDS_PROP_BEGIN_DATE),
        Ctl(L"chkEnabled", IDS_PROP_ENABLED), Ctl(L"lblRunAs", IDS_PROP_RUN_AS),
        Ctl(L"optSystemAccount", IDS_PROP_SYSTEM_ACCOUNT), Ctl(L"optThisAccount", IDS_PROP_THIS_ACCOUNT),
        Ctl(L"lblPassword", IDS_PROP_PASSWORD), Ctl(L"lblNoHighest", IDS_PROP_NO_HIGHEST),
        Ctl(L"lblScheduleKept", IDS_PROP_SCHEDULE_KEPT), Ctl(L"cmdOK", IDS_OK),
        Ctl(L"cmdCancel", IDS_PROP_CANCEL),
    };
    ApplyFormTexts(*this, {true, IDS_TASK_PROPERTIES, kTexts, L" - " + task_.name()},
                   {L"frmTaskProperties_Auto_Init"});
}

void frmTaskProperties::Form_Load() {
    frmTaskProperties_Auto_Init();
    ::SendMessageW((*this)[L"txtPassword"].Hwnd(), EM_SETPASSWORDCHAR, L'*', 0);
    ::SendMessageW((*this)[L"txtTriggers"].Hwnd(), EM_SETREADONLY, TRUE, 0);
    // Unreadable triggers are kept as well: editSchedule_ stays false.
    editSchedule_ = false;
    rt::ContinueAfterPrefixedBox(L"", [this] {
        SYSTEMTIME now{};
        ::GetLocalTime(&now);
        DailySchedule shown = DailyScheduleAt(now);
        const std::vector<TriggerInfo> triggers = task_.Triggers();
        editSchedule_ = ScheduleEditable(static_cast<unsigned>(triggers.size()),
                                         !triggers.empty() && triggers.front().kind == TriggerKind::Daily);
        (*this)[L"txtTriggers"].SetCaption(TriggerLines(triggers));
        if (editSchedule_) shown = triggers.front().schedule;
        shown.everyDays = shown.everyDays > 0 ? shown.everyDays : 1;
        shownSchedule_ = shown;
        (*this)[L"txtStartTime"].SetCaption(TaskTimeField(shown));
        (*this)[L"txtDays"].SetCaption(std::to_wstring(shown.everyDays));
        (*this)[L"txtBeginDate"].SetCaption(TaskDateField(shown));
    });
    for (const wchar_t* field : {L"lblStartTime", L"txtStartTime", L"lblEvery", L"txtDays", L"lblDays", L"lblBeginDate",
                                 L"txtBeginDate"}) {
        (*this)[field].SetVisible(editSchedule_);
    }
    (*this)[L"lblScheduleKept"].SetVisible(!editSchedule_);
    (*this)[L"txtTriggers"].SetVisible(!editSchedule_);
    storedEnabled_.reset();
    rt::ContinueAfterPrefixedBox(L"", [this] {
        storedEnabled_ = task_.Enabled();
        (*this)[L"chkEnabled"].SetValue(*storedEnabled_ ? CheckState::Checked : CheckState::Unchecked);
    });
    // An account the system does not report: no option is chosen, and OK
    // keeps it unless the administrator picks one.
    rt::ContinueAfterPrefixedBox(L"", [this] {
        storedAccount_ = task_.AccountName();
        if (storedAccount_) (*this)[storedAccount_->empty() ? L"optSystemAccount" : L"optThisAccount"].SetValue(CheckState::Checked);
        (*this)[L"txtAccount"].SetCaption(storedAccount_.value_or(L""));
    });
    AccountChoiceClicked();
}

AccountAction frmTaskProperties::PendingAccountAction() {
    const AccountChoice choice = (*this)[L"optSystemAccount"].Checked() ? AccountChoice::System
                                 : (*this)[L"optThisAccount"].Checked() ? AccountChoice::Named
                                                                           : AccountChoice::None;
    return AccountOnOk(storedAccount_, choice, (*this)[L"txtAccount"].Caption(),
                       !(*this)[L"txtPassword"].Caption().empty());
}

void frmTaskProperties::AccountChoiceClicked() {
    const bool named = (*this)[L"optThisAccount"].Checked();
    (*this)[L"txtAccount"].SetEnabled(named);
    (*this)[L"txtPassword"].SetEnabled(named);
    (*this)[L"lblNoHighest"].SetVisible(named);
    (*this)[L"lblAccountNote"].SetCaption(mymyLoadString(AccountNoteId(PendingAccountAction())));
}

LRESULT frmTaskProperties::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    // Enter is OK and Escape is Cancel, as in every Windows dialog.
    if (msg == WM_COMMAND && lp == 0 && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
        if (LOWORD(wp) == IDOK) {
            cmdOK_Click();
        } else {
            Unload();
        }
        return 0;
    }
    // Typing a name or a password changes what OK will do with the account.
    if (msg == WM_COMMAND && HIWORD(wp) == EN_CHANGE && Hwnd() &&
        (reinterpret_cast<HWND>(lp) == (*this)[L"txtAccount"].Hwnd() ||
         reinterpret_cast<HWND>(lp) == (*this)[L"txtPassword"].Hwnd())) {
        AccountChoiceClicked();
        return 0;
    }
    return rt::Form::HandleMessage(msg, wp, lp);
}

void frmTaskProperties::cmdOK_Click() {
    DailySchedule schedule;
    const bool named = (*this)[L"optThisAccount"].Checked();
    const std::wstring account = (*this)[L"txtAccount"].Caption();
    const bool scheduleValid = ParseTaskTime((*this)[L"txtStartTime"].Caption(), schedule) &&
                               ParseTaskDate((*this)[L"txtBeginDate"].Caption(), schedule) &&
                               ParseDaysInterval((*this)[L"txtDays"].Caption(), schedule);
    if ((editSchedule_ && !scheduleValid) || (named && account.empty())) {
        ::MessageBeep(MB_ICONWARNING);  // stay open: the fields say what they take
        return;
    }
    const bool scheduleChanged = editSchedule_ && !(schedule == shownSchedule_);
    const bool enabledChanged = storedEnabled_ && *storedEnabled_ != (*this)[L"chkEnabled"].Checked();
    const AccountAction accountAction = PendingAccountAction();
    if (!scheduleChanged && !enabledChanged && accountAction == AccountAction::Keep) {
        Unload();  // nothing to save: the stored task stays as it is
        return;
    }
    const bool runsAsSystem = accountAction == AccountAction::SetSystem ||
                              (accountAction == AccountAction::Keep && storedAccount_ && storedAccount_->empty());
    // The folder of the task's own program, which may be another copy's.
    if (runsAsSystem && !ProgramFolderSafeOrSay(FolderOfProgram(task_.ApplicationName()))) return;
    try {
        if (scheduleChanged) task_.SetDailySchedule(schedule);
        if (enabledChanged) task_.SetEnabled((*this)[L"chkEnabled"].Checked());
        switch (accountAction) {
        case AccountAction::SetSystem: task_.SetAccount(L"", L""); break;
        case AccountAction::SetNamed: task_.SetAccount(account, (*this)[L"txtPassword"].Caption()); break;
        case AccountAction::Keep: break;  // its stored credentials stay
        }
        task_.Save();
    } catch (...) {
        // Not saved (a wrong password, no rights): say why and stay open.
        rt::ShowPrefixedError(L"", rt::CurrentError());
        return;
    }
    Unload();
}
