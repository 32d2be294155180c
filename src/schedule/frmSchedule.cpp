#include "schedule/frmSchedule.h"

#include <memory>

#include "localize/LanguageTables.h"
#include "localize/FormTexts.h"
#include "localize/RestartResCONST.h"
#include "localize/modLocalize.h"
#include "runtime/App.h"
#include "runtime/Dialogs.h"
#include "runtime/ErrorReporting.h"
#include "schedule/ScheduledTasks.h"
#include "schedule/TaskCommand.h"
#include "schedule/TaskTexts.h"
#include "schedule/frmTaskProperties.h"

namespace {

std::unique_ptr<ScheduledTasks> gTasks;

// A failure shown as "<prefix><description>", then go on.
void ShowFailure(const std::wstring& prefix) { rt::ShowPrefixedError(prefix, rt::CurrentError()); }

bool SameNoCase(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

}  // namespace

frmSchedule::frmSchedule(std::function<std::wstring()> commandLine, PreviewOfLine preview,
                         std::function<std::wstring()> pendingSkip)
    : rt::Form(L"frmSchedule", L"Orvane Restart Scheduler", 7950, 5700, rt::Form::kFixedDialog),
      commandLine_(std::move(commandLine)), preview_(std::move(preview)), pendingSkip_(std::move(pendingSkip)) {
    using K = rt::ControlKind;
    // The button column holds the longest caption ("Aufgabeneigenschaften") with room to spare.
    // Above the list: a pending skip, said where the tasks are.
    Add(K::LineLabel, L"lblSkip", L"", {120, 120, 5175, 255});
    Add(K::ListBox, L"lstTasks", L"", {120, 435, 5175, 2160}, true).Click = [this] { lstTasks_Click(); };
    Add(K::Button, L"cmdNew", L"Schedule Restart", {5415, 120, 2415, 375}).Click = [this] { cmdNew_Click(); };
    Add(K::Button, L"cmdProps", L"Task Properties", {5415, 555, 2415, 375}).Click = [this] { cmdProps_Click(); };
    Add(K::Button, L"cdmDelete", L"&Delete Task", {5415, 990, 2415, 375}).Click = [this] { cdmDelete_Click(); };
    Add(K::Button, L"cmdPreview", L"Preview", {5415, 1425, 2415, 375}).Click = [this] { cmdPreview_Click(); };
    Add(K::Button, L"cmdClose", L"Close", {5415, 2220, 2415, 375}).Click = [this] { Unload(); };
    Add(K::Frame, L"Frame1", L"", {120, 2700, 7710, 2880});
    // The details rows: caption index, value control, top.
    struct Row {
        int label;
        const wchar_t* value;
        int top;
    };
    const Row rows[] = {{0, L"lblInfo(0)", 2880}, {1, L"lblInfo(1)", 3180}, {4, L"lblInfo(3)", 3480},
                        {8, L"lblInfo(6)", 3780}, {5, L"lblInfo(4)", 4230}, {6, L"lblInfo(5)", 4530},
                        {7, L"txtSchedule", 4830}};
    for (const Row& r : rows) {
        Add(K::RightLabel, L"lbLabels(" + std::to_wstring(r.label) + L")", L"", {240, r.top, 1935, 255});
        if (std::wstring(r.value) == L"txtSchedule") {
            Add(K::MultiLineText, r.value, L"", {2295, r.top, 5415, 645});
        } else if (r.label == 8) {
            // The result's meaning may take two lines.
            Add(K::Label, r.value, L"", {2295, r.top, 5415, 435});
        } else if (r.label <= 1) {
            // A long program path loses its middle, never its file name; a
            // long line ends in an ellipsis rather than wrapping out of sight.
            Add(r.label == 0 ? K::PathLabel : K::LineLabel, r.value, L"", {2295, r.top, 5415, 255});
        } else {
            Add(K::Label, r.value, L"", {2295, r.top, 5415, 255});
        }
    }
    Publish(L"frmSchedule_Auto_Init", [this] { frmSchedule_Auto_Init(); });
}

ScheduledTasks& frmSchedule::objTasks() {
    if (!gTasks) gTasks = std::make_unique<ScheduledTasks>();
    return *gTasks;
}

void frmSchedule::frmSchedule_Auto_Init() {
    // What is set after the fonts and the caption, in this order.
    static constexpr TextOf kTexts[] = {
        Ctl(L"cmdClose", IDS_CLOSE), Ctl(L"lbLabels(0)", IDS_PROGRAM_FILE), Ctl(L"lbLabels(1)", IDS_COMMAND_LINE),
        Ctl(L"lbLabels(4)", IDS_LAST_RUNTIME), Ctl(L"lbLabels(5)", IDS_NEXT_RUNTIME), Ctl(L"lbLabels(6)", IDS_CREATOR),
        Ctl(L"lbLabels(7)", IDS_SCHEDULE), Ctl(L"cmdNew", IDS_SCHEDULE_RESTART), Ctl(L"cmdProps", IDS_TASK_PROPERTIES),
        Ctl(L"cdmDelete", IDS_DELETE_TASK), Ctl(L"cmdPreview", IDS_PREVIEW), Ctl(L"lbLabels(8)", IDS_LAST_RESULT),
    };
    ApplyFormTexts(*this, {true, IDS_SCHEDULER_CAPTION, kTexts}, {L"frmSchedule_Auto_Init"});
}

void frmSchedule::Form_Load() {
    rt::ContinueSilently([this] { frmSchedule_Auto_Init(); });
    // Read-only: the trigger texts are shown, not edited (and so drawn on the
    // button face).
    rt::ContinueSilently([this] { ::SendMessageW((*this)[L"txtSchedule"].Hwnd(), EM_SETREADONLY, TRUE, 0); });
    if (pendingSkip_) rt::ContinueSilently([this] { (*this)[L"lblSkip"].SetCaption(pendingSkip_()); });
    RefreshList();
}

void frmSchedule::RefreshList() {
    rt::Control& list = (*this)[L"lstTasks"];
    list.ClearItems();
    try {
        objTasks().ReloadTasks();
        for (const std::wstring& name : objTasks().Names()) list.AddItem(name);
    } catch (...) {
        // Task Scheduler not reachable: say so rather than show an empty list.
        ShowFailure(mymyLoadString(IDS_ERROR_IN_FORMLOAD) + L" ");
    }
}

void frmSchedule::lstTasks_Click() {
    const int index = (*this)[L"lstTasks"].ListIndex();
    if (index < 0) return;
    try {
        const ScheduledTask task = objTasks().GetTask((*this)[L"lstTasks"].ItemText(index));
        (*this)[L"lblInfo(0)"].SetCaption(task.ApplicationName());
        (*this)[L"lblInfo(1)"].SetCaption(task.CommandLine());
        (*this)[L"lblInfo(3)"].SetCaption(TaskDateTimeText(task.LastRunTime()));
        (*this)[L"lblInfo(6)"].SetCaption(LastResultText(task.LastResult()));
        (*this)[L"lblInfo(4)"].SetCaption(TaskDateTimeText(task.NextRunTime()));
        (*this)[L"lblInfo(5)"].SetCaption(task.Creator());
        (*this)[L"txtSchedule"].SetCaption(TriggerLines(task.Triggers()));
    } catch (...) {
        // Deleted or unreadable since the last refresh: show the list as it is now.
        ShowFailure(L"");
        RefreshList();
    }
}

void frmSchedule::cmdNew_Click() {
    const LanguageFont font = LanguageFontFor(gLanguageId);
    const std::wstring answer =
        rt::InputBox(mymyLoadString(IDS_TYPE_TASK_NAME), mymyLoadString(IDS_PROGRAM_CAPTION), Hwnd(),
                     {mymyLoadString(IDS_OK), mymyLoadString(IDS_PROP_CANCEL), std::wstring(font.face), font.charset});
    if (answer.empty()) return;
    // Compared as it will be stored: without the blanks around it.
    const std::wstring stored = ValidTaskName(answer);
    std::vector<std::wstring> names;
    try {
        names = objTasks().Names();  // as of the last refresh
    } catch (...) {
        ShowFailure(mymyLoadString(IDS_ERROR_SCHEDULE_NEW));
        return;
    }
    for (const std::wstring& existing : names) {
        if (SameNoCase(existing, stored.empty() ? answer : stored)) {
            rt::MsgBox(mymyLoadString(IDS_UNIQUE_TASK_NAME));
            return;
        }
    }
    // A name Task Scheduler cannot store is refused before anything is made.
    if (stored.empty()) {
        rt::MsgBox(mymyLoadString(IDS_INVALID_TASK_NAME));
        return;
    }
    if (IsReservedTaskName(stored)) {
        rt::MsgBox(mymyLoadString(IDS_RESERVED_TASK_NAME));
        return;
    }
    // The new task runs as the local system account.
    if (!ProgramFolderSafeOrSay()) return;
    const std::wstring prefix = mymyLoadString(IDS_ERROR_SCHEDULE_NEW);
    const auto step = [&](auto&& body) {
        try {
            body();
        } catch (...) {
            ShowFailure(prefix);
        }
    };
    std::unique_ptr<ScheduledTask> task;
    step([&] { task = std::make_unique<ScheduledTask>(objTasks().AddTask(answer)); });
    if (!task) return;  // nothing was made: one message, not one per step
    step([&] { task->SetApplicationName(rt::JoinPath(rt::App().path, kProgramFile)); });
    step([&] { task->SetCommandLine(commandLine_()); });
    step([&] { task->SetWorkingDirectory(rt::App().path); });
    step([&] { task->SetCreator(mymyLoadString(IDS_SCHEDULED_RESTART_TASK)); });
    step([&] {
        SYSTEMTIME now{};
        ::GetLocalTime(&now);
        task->SetDailySchedule(DailyScheduleAt(now));
    });
    step([&] { task->SetEnabled(false); });
    bool saved = false;
    step([&] {
        task->Save();
        saved = true;
    });
    // Nothing was stored (the message said why): no dialog for a task that is not there.
    if (saved) step([&] { ShowProperties(*task); });
    RefreshList();
}

void frmSchedule::cmdProps_Click() {
    rt::Control& list = (*this)[L"lstTasks"];
    const int index = list.ListIndex();
    if (index < 0) return;
    try {
        ScheduledTask task = objTasks().GetTask(list.ItemText(index));
        ShowProperties(task);
    } catch (...) {
        ShowFailure(L"");
    }
    RefreshList();
}

void frmSchedule::ShowProperties(ScheduledTask& task) {
    frmTaskProperties dialog(task);
    dialog.Show(rt::ShowMode::Modal, Hwnd());
}

void frmSchedule::cmdPreview_Click() {
    rt::Control& list = (*this)[L"lstTasks"];
    const int index = list.ListIndex();
    if (index < 0 || !preview_) return;
    std::wstring application, line;
    try {
        const ScheduledTask task = objTasks().GetTask(list.ItemText(index));
        application = task.ApplicationName();
        line = task.CommandLine();
    } catch (...) {
        ShowFailure(L"");
        RefreshList();
        return;
    }
    // Another program's task: its line means nothing to this one.
    if (!IsProgramsTask(application)) {
        rt::MsgBox(Replace(mymyLoadString(IDS_PV_NO_ACTION), L"%1", application + L" " + line));
        return;
    }
    preview_(line, Hwnd());
}

void frmSchedule::cdmDelete_Click() {
    rt::Control& list = (*this)[L"lstTasks"];
    const int index = list.ListIndex();
    if (index < 0) return;
    const std::wstring name = list.ItemText(index);
    if (rt::MsgBox(mymyLoadString(IDS_CONFIRM_DELETE) + name + L"\"?", MB_YESNO) != IDYES) return;
    try {
        objTasks().RemoveTask(name);
    } catch (...) {
        ShowFailure(L"");
    }
    RefreshList();
}
