// The configuration window, the scheduled-task manager and the task property
// dialog, driven through their real controls; tasks are read back through
// Task Scheduler itself, not through the program's component.
#include <gtest/gtest.h>

#include <windows.h>

#include <mstask.h>
#include <objbase.h>
#include <wrl/client.h>

#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "config/frmConfigure.h"
#include "localize/RestartResCONST.h"
#include "localize/modLocalize.h"
#include "runtime/App.h"
#include "runtime/Dialogs.h"
#include "runtime/Text.h"
#include "schedule/ScheduledTasks.h"
#include "schedule/frmSchedule.h"

using Microsoft::WRL::ComPtr;

namespace {

// Of this process alone: test programs run side by side on one scheduler.
const std::wstring gTaskName = L"OrvaneTest Nightly " + std::to_wstring(::GetCurrentProcessId());
const wchar_t* const kTaskName = gTaskName.c_str();

void Click(rt::Form& form, const wchar_t* control) { ::SendMessageW(form[control].Hwnd(), BM_CLICK, 0, 0); }

using test::Answers;


// The n-th child of a class (0-based), in creation order.
HWND Child(HWND parent, const wchar_t* cls, int n) {
    HWND c = nullptr;
    for (int i = 0; i <= n; ++i) c = ::FindWindowExW(parent, c, cls, nullptr);
    return c;
}

// The prefix's Task Scheduler, read without the program's component.
struct RawTask {
    std::wstring application, parameters, creator, account;
    DWORD flags = 0;
    WORD triggers = 0;
    TASK_TRIGGER trigger{};
    bool accountRead = false;
};

ComPtr<ITaskScheduler> Scheduler() {
    ComPtr<ITaskScheduler> scheduler;
    ::CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                       reinterpret_cast<void**>(scheduler.GetAddressOf()));
    return scheduler;
}

bool ReadRaw(const wchar_t* name, RawTask& out) {
    ComPtr<ITask> task;
    ComPtr<ITaskScheduler> scheduler = Scheduler();
    if (!scheduler || FAILED(scheduler->Activate(name, IID_ITask, reinterpret_cast<IUnknown**>(task.GetAddressOf())))) {
        return false;
    }
    const auto take = [](HRESULT hr, LPWSTR& s, std::wstring& into) {  // s by reference: filled by the call
        if (SUCCEEDED(hr)) into = s ? s : L"";
        ::CoTaskMemFree(std::exchange(s, nullptr));
        return SUCCEEDED(hr);
    };
    LPWSTR s = nullptr;
    take(task->GetApplicationName(&s), s, out.application);
    take(task->GetParameters(&s), s, out.parameters);
    take(task->GetCreator(&s), s, out.creator);
    out.accountRead = take(task->GetAccountInformation(&s), s, out.account);
    task->GetFlags(&out.flags);
    task->GetTriggerCount(&out.triggers);
    ComPtr<ITaskTrigger> trigger;
    out.trigger.cbTriggerSize = sizeof out.trigger;
    if (out.triggers && SUCCEEDED(task->GetTrigger(0, &trigger))) trigger->GetTrigger(&out.trigger);
    return true;
}

void DeleteRaw(const wchar_t* name) {
    if (ComPtr<ITaskScheduler> scheduler = Scheduler()) scheduler->Delete(name);
}

class Schedule : public ::testing::Test {
protected:
    void SetUp() override {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        DeleteRaw(kTaskName);
        configure_.Show(rt::ShowMode::Modeless);
    }
    void TearDown() override { DeleteRaw(kTaskName); }
    frmSchedule& ShowManager() {
        schedule_.Show(rt::ShowMode::Modeless);
        return schedule_;
    }
    // Where the manager's list shows the test's task, or -1.
    int TaskIndex() {
        return static_cast<int>(::SendMessageW(schedule_[L"lstTasks"].Hwnd(), LB_FINDSTRINGEXACT,
                                               static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(kTaskName)));
    }
    static void SaveTask() {
        ScheduledTasks tasks;
        tasks.AddTask(kTaskName).Save();
    }
    frmConfigure configure_;
    frmSchedule schedule_{[this] { return configure_.strConstructCommandLine(); }};
};

// Types the name into the input box and presses OK.
Answers::Step Typed(const std::wstring& title, const std::wstring& name) {
    return {title, [name](HWND box) {
                ::SetWindowTextW(Child(box, L"Edit", 0), name.c_str());
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            }};
}

TEST_F(Schedule, ConfigurationOpensOnRebootAndTheServiceBoxesKeepTheirTicksWhileDisabled) {
    frmConfigure& f = configure_;
    const wchar_t* boxes[] = {L"chkPmNotifySvr", L"chkPmSpeechSvr", L"chkPmStoreMonSvr", L"chkPmSyncSvr"};
    EXPECT_EQ(f[L"optShutDownAndReboot"].Value(), 1);
    for (const wchar_t* b : boxes) EXPECT_FALSE(f[b].Enabled() || f[b].Value() != 0) << b;
    // The click, the command line it gives, and whether the boxes are enabled.
    const std::tuple<const wchar_t*, const wchar_t*, bool> cases[] = {
        {L"optBounceServices", L"/Bounce", true},
        {L"chkPmSyncSvr", L"/Bounce:PmSyncSvr", true},
        {L"chkPmNotifySvr", L"/Bounce:PmNotifySvr:PmSyncSvr", true},
        {L"optShutDownAndReboot", L"/Reboot", false},
        {L"optShutDownOrvaneOnly", L"/Restart", false},
        {L"optBounceServices", L"/Bounce:PmNotifySvr:PmSyncSvr", true},  // the ticks came back into force
    };
    for (const auto& [click, line, enabled] : cases) {
        Click(f, click);
        EXPECT_EQ(f.strConstructCommandLine(), line) << rt::ToUtf8(click);
        for (const wchar_t* b : boxes) EXPECT_EQ(f[b].Enabled(), enabled) << rt::ToUtf8(click) << rt::ToUtf8(b);
    }
    EXPECT_TRUE(f[L"chkPmSyncSvr"].Value() == 1 && f[L"chkPmSpeechSvr"].Value() == 0);
}

TEST_F(Schedule, ViewLogOpensTheHistoryInNotepadOrSaysThereIsNone) {
    const std::wstring history = rt::JoinPath(rt::App().path, L"RestartHistory.Log");
    const auto viewLog = [this] {  // the File menu's first item
        HMENU file = ::GetSubMenu(::GetMenu(configure_.Hwnd()), 0);
        ::SendMessageW(configure_.Hwnd(), WM_COMMAND, ::GetMenuItemID(file, 0), 0);
    };
    ::DeleteFileW(history.c_str());
    std::wstring text;
    {
        Answers answers({test::ReadAndPress(rt::kProgramTitle, text)});
        viewLog();
    }
    EXPECT_EQ(text, L"No logging activity has taken place...");
    EXPECT_EQ(::FindWindowW(nullptr, L"RestartHistory.Log - Notepad"), nullptr) << "no process started";

    test::WriteBytes(history, "12/7/2026 3:00:00 AM restarted\r\n");
    viewLog();
    HWND notepad = nullptr;
    test::WaitUntil([&] { return (notepad = ::FindWindowW(nullptr, L"RestartHistory.Log - Notepad")) != nullptr; },
                    std::chrono::milliseconds(15000));
    ::DeleteFileW(history.c_str());
    ASSERT_NE(notepad, nullptr) << "notepad opened the history file";
    ::PostMessageW(notepad, WM_CLOSE, 0, 0);
}

// A new task through the manager: name, property dialog (cancelled), then the
// task as Task Scheduler holds it; then enabled and re-timed through the dialog.
TEST_F(Schedule, NewTaskIsStoredDisabledAsSystemThenEnabledAndRetimedThroughItsDialog) {
    Click(configure_, L"optBounceServices");
    Click(configure_, L"chkPmSpeechSvr");
    frmSchedule& schedule = ShowManager();
    const std::wstring properties = mymyLoadString(IDS_TASK_PROPERTIES) + L" - " + kTaskName;
    {
        Answers answers({Typed(rt::kProgramTitle, kTaskName),
                         {properties, [](HWND dialog) { ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); }}});
        Click(schedule, L"cmdNew");
        EXPECT_EQ(answers.Done(), 2);
    }
    RawTask raw;
    ASSERT_TRUE(ReadRaw(kTaskName, raw));
    EXPECT_EQ((std::vector<std::wstring>{raw.application, raw.parameters, raw.creator}),
              (std::vector<std::wstring>{rt::JoinPath(rt::App().path, L"OrvaneScheduledRestart.exe"),
                                         L"/Bounce:PmSpeechSvr", L"Scheduled Orvane Restart"}));
    EXPECT_TRUE(raw.flags & TASK_FLAG_DISABLED);
    ASSERT_EQ(raw.triggers, 1);
    EXPECT_EQ(raw.trigger.TriggerType, TASK_TIME_TRIGGER_DAILY);
    // Wine's Task Scheduler does not report a task's account (the call
    // fails); Windows does, and there it must be the local system account.
    if (raw.accountRead) {
        EXPECT_EQ(raw.account, L"") << "the local system account";
    }

    // The list and the details pane show it.
    ASSERT_GE(TaskIndex(), 0);
    schedule[L"lstTasks"].SetListIndex(TaskIndex());
    EXPECT_EQ(schedule[L"lblInfo(1)"].Caption(), L"/Bounce:PmSpeechSvr");
    EXPECT_NE(schedule[L"txtSchedule"].Caption().find(L"\r\n"), std::wstring::npos);
    EXPECT_EQ(schedule[L"lblInfo(3)"].Caption().size(), 20u) << "HH:MM:SS DD-MMM-YYYY";

    {
        Answers answers({{properties, [](HWND dialog) {
                              ::SetWindowTextW(Child(dialog, L"Edit", 0), L"03:15");
                              ::SetWindowTextW(Child(dialog, L"Edit", 1), L"2");
                              ::SetWindowTextW(Child(dialog, L"Edit", 2), L"2027-01-31");
                              ::SendMessageW(::FindWindowExW(dialog, nullptr, L"Button",
                                                             L"Enabled (the task runs at its time)"),
                                             BM_CLICK, 0, 0);
                              ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                          }}});
        Click(schedule, L"cmdProps");
        EXPECT_EQ(answers.Done(), 1);
    }
    ASSERT_TRUE(ReadRaw(kTaskName, raw));
    EXPECT_FALSE(raw.flags & TASK_FLAG_DISABLED);
    const TASK_TRIGGER& t = raw.trigger;
    EXPECT_EQ((std::vector<int>{t.wStartHour, t.wStartMinute, t.Type.Daily.DaysInterval, t.wBeginYear, t.wBeginMonth,
                                t.wBeginDay}),
              (std::vector<int>{3, 15, 2, 2027, 1, 31}));
}

// Refusals and deletion: each answered box says what it must; nothing else happens.
TEST_F(Schedule, DuplicateAndInvalidNamesAreRefusedAndDeleteAsksFirst) {
    SaveTask();
    frmSchedule& schedule = ShowManager();
    std::wstring upper = gTaskName;
    ::CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    const std::pair<std::wstring, std::wstring> cases[] = {
        {upper, mymyLoadString(IDS_UNIQUE_TASK_NAME)},  // names ignore case
        {L"Nightly: restart", mymyLoadString(IDS_INVALID_TASK_NAME)},
        {L"   ", mymyLoadString(IDS_INVALID_TASK_NAME)},
        {std::wstring(201, L'x'), mymyLoadString(IDS_INVALID_TASK_NAME)},  // beyond the .job path's room
    };
    for (const auto& [name, message] : cases) {
        std::wstring shown;
        Answers answers({Typed(rt::kProgramTitle, name), test::ReadAndPress(rt::kProgramTitle, shown)});
        Click(schedule, L"cmdNew");
        EXPECT_EQ(answers.Done(), 2);
        EXPECT_EQ(shown, message) << rt::ToUtf8(name);
    }
    for (int answer : {IDNO, IDYES}) {
        ASSERT_GE(TaskIndex(), 0);
        schedule[L"lstTasks"].SetListIndex(TaskIndex());
        std::wstring asked;
        {
            Answers answers({test::ReadAndPress(rt::kProgramTitle, asked, answer)});
            Click(schedule, L"cdmDelete");
        }
        EXPECT_EQ(asked, mymyLoadString(IDS_CONFIRM_DELETE) + kTaskName + L"\"?");
        RawTask raw;
        EXPECT_EQ(ReadRaw(kTaskName, raw), answer == IDNO);
    }
}

// A task deleted by someone else between the refresh and the click: the
// system's text, and the list as it is now.
TEST_F(Schedule, ATaskDeletedElsewhereIsReportedAndDropsFromTheList) {
    SaveTask();
    frmSchedule& schedule = ShowManager();
    const int index = TaskIndex();
    ASSERT_GE(index, 0);
    DeleteRaw(kTaskName);
    std::wstring shown;
    {
        Answers answers({test::ReadAndPress(rt::kProgramTitle, shown)});
        schedule[L"lstTasks"].SetListIndex(index);
        EXPECT_EQ(answers.Done(), 1);
    }
    EXPECT_FALSE(shown.empty());
    EXPECT_EQ(TaskIndex(), -1);
}

}  // namespace
