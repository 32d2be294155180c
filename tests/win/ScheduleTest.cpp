// The configuration window, the scheduled-task manager and the task property
// dialog, driven through their real controls; tasks are read back through
// Task Scheduler itself, not through the program's component.
#include <gtest/gtest.h>

#include <windows.h>

#include <mstask.h>
#include <wrl/client.h>

#include <cstring>
#include <cwchar>
#include <utility>

#include "TestSupport.h"
#include "verify/VerifyHost.h"
#include "about/frmAbout.h"
#include "config/frmConfigure.h"
#include "localize/RestartResCONST.h"
#include "localize/modLocalize.h"
#include "machine/modCallExternalApp.h"
#include "runtime/App.h"
#include "runtime/Dialogs.h"
#include "runtime/Handles.h"
#include "runtime/Text.h"
#include "schedule/ScheduledTasks.h"
#include "schedule/TaskCommand.h"
#include "schedule/TaskTexts.h"
#include "schedule/frmSchedule.h"

using Microsoft::WRL::ComPtr;

namespace {

// Of this process alone: test programs run side by side on one scheduler.
const std::wstring gTaskName = L"OrvaneTest Nightly " + std::to_wstring(::GetCurrentProcessId());
const wchar_t* const kTaskName = gTaskName.c_str();

void Click(rt::Form& form, const wchar_t* control) { ::SendMessageW(form[control].Hwnd(), BM_CLICK, 0, 0); }

using test::Answers;

// Acts while the steps answer the windows it opens; how many were answered.
int Answered(std::vector<Answers::Step> steps, const std::function<void()>& act) {
    Answers answers(std::move(steps));
    act();
    return answers.Done();
}

// The n-th child of a class (0-based), in creation order.
HWND Child(HWND parent, const wchar_t* cls, int n) {
    HWND c = nullptr;
    for (int i = 0; i <= n; ++i) c = ::FindWindowExW(parent, c, cls, nullptr);
    return c;
}

// The prefix's Task Scheduler, read without the program's component.
struct RawTask {
    std::wstring application, parameters, creator, account, folder, triggers;
    DWORD flags = 0;
    bool accountRead = false;
    HRESULT nextRun = E_FAIL;  // Task Scheduler's own verdict: will it run, and when
    SYSTEMTIME next{};
};

ComPtr<ITaskScheduler> Scheduler() {
    ComPtr<ITaskScheduler> scheduler;
    ::CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                       reinterpret_cast<void**>(scheduler.GetAddressOf()));
    return scheduler;
}

// Every field of a trigger that decides when it fires, readable in a failure.
std::wstring Describe(const TASK_TRIGGER& t) {
    wchar_t text[160] = {};
    std::swprintf(text, 160, L"type %d at %02u:%02u from %04u-%02u-%02u flags %lu every %u/%u; ", t.TriggerType,
                  t.wStartHour, t.wStartMinute, t.wBeginYear, t.wBeginMonth, t.wBeginDay, t.rgFlags,
                  t.Type.Weekly.WeeksInterval, t.Type.Weekly.rgfDaysOfTheWeek);
    return text;
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
    out = {};
    LPWSTR s = nullptr;
    take(task->GetApplicationName(&s), s, out.application);
    take(task->GetParameters(&s), s, out.parameters);
    take(task->GetCreator(&s), s, out.creator);
    take(task->GetWorkingDirectory(&s), s, out.folder);
    out.accountRead = take(task->GetAccountInformation(&s), s, out.account);
    task->GetFlags(&out.flags);
    out.nextRun = task->GetNextRunTime(&out.next);
    WORD count = 0;
    task->GetTriggerCount(&count);
    for (WORD i = 0; i < count; ++i) {
        ComPtr<ITaskTrigger> trigger;
        TASK_TRIGGER t{};
        t.cbTriggerSize = sizeof t;
        if (SUCCEEDED(task->GetTrigger(i, &trigger))) trigger->GetTrigger(&t);
        out.triggers += Describe(t);
    }
    return true;
}

// A day ahead of today: the tests' tasks are never due while they run (the
// prefix's Task Scheduler would start a due task, or one it thinks it missed),
// and the tests hold on any date.
SYSTEMTIME DaysAhead(int days) {
    SYSTEMTIME day{};
    ::GetLocalTime(&day);
    day.wHour = day.wMinute = day.wSecond = day.wMilliseconds = 0;
    FILETIME ft{};
    ::SystemTimeToFileTime(&day, &ft);
    const ULONGLONG at = ((ULONGLONG{ft.dwHighDateTime} << 32) | ft.dwLowDateTime) + days * 864000000000ULL;
    ft = {static_cast<DWORD>(at), static_cast<DWORD>(at >> 32)};
    ::FileTimeToSystemTime(&ft, &day);
    return day;
}

std::wstring IsoDate(const SYSTEMTIME& d) {
    wchar_t text[16] = {};
    std::swprintf(text, 16, L"%04u-%02u-%02u", d.wYear, d.wMonth, d.wDay);
    return text;
}

// A trigger beginning a month from today.
TASK_TRIGGER TriggerAt(TASK_TRIGGER_TYPE type, WORD hour, WORD minute) {
    const SYSTEMTIME b = DaysAhead(27);
    return {sizeof(TASK_TRIGGER), 0, b.wYear, b.wMonth, b.wDay, 0, 0, 0, hour, minute, 0, 0, 0, type, {}, 0, 0};
}

// A task as other tools make them: enabled, with the given triggers.
void MakeRaw(const wchar_t* name, const std::vector<TASK_TRIGGER>& triggers,
             const std::wstring& application = L"C:\\Tools\\other.exe") {
    ComPtr<ITask> task;
    ASSERT_HRESULT_SUCCEEDED(
        Scheduler()->NewWorkItem(name, CLSID_CTask, IID_ITask, reinterpret_cast<IUnknown**>(task.GetAddressOf())));
    task->SetApplicationName(application.c_str());
    task->SetParameters(L"/weekly");
    task->SetAccountInformation(L"", nullptr);
    for (TASK_TRIGGER t : triggers) {
        WORD index = 0;
        ComPtr<ITaskTrigger> trigger;
        ASSERT_HRESULT_SUCCEEDED(task->CreateTrigger(&index, &trigger));
        ASSERT_HRESULT_SUCCEEDED(trigger->SetTrigger(&t));
    }
    ComPtr<IPersistFile> file;
    ASSERT_HRESULT_SUCCEEDED(task.As(&file));
    ASSERT_HRESULT_SUCCEEDED(file->Save(nullptr, TRUE));
}

void DeleteRaw(const wchar_t* name) {
    if (ComPtr<ITaskScheduler> scheduler = Scheduler()) scheduler->Delete(name);
}

class Schedule : public ::testing::Test {
protected:
    test::Turn turn_{test::kTaskScheduler};  // first: held until the forms are gone
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
    frmSchedule schedule_{[this] { return configure_.strConstructCommandLine(); }, &ShowPreviewOfLine};
};

// Types the name into the input box and presses OK; keeps the box's owner.
Answers::Step Typed(const std::wstring& title, const std::wstring& name, HWND* owner = nullptr) {
    return {title, [name, owner](HWND box) {
                if (owner) *owner = ::GetWindow(box, GW_OWNER);
                ::SetWindowTextW(Child(box, L"Edit", 0), name.c_str());
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            }};
}

// Keeps the window's owner, then sends it a command (IDOK, IDCANCEL) or closes it.
Answers::Step OwnerThen(const std::wstring& title, HWND& owner, WPARAM command = 0) {
    return {title, [&owner, command](HWND w) {
                owner = ::GetWindow(w, GW_OWNER);
                ::PostMessageW(w, command ? WM_COMMAND : WM_CLOSE, command, 0);
            }};
}

TEST_F(Schedule, ConfigurationOpensOnRebootAndTheServiceBoxesKeepTheirTicksWhileDisabled) {
    frmConfigure& f = configure_;
    const wchar_t* boxes[] = {L"chkPmNotifySvr", L"chkPmSpeechSvr", L"chkPmStoreMonSvr", L"chkPmSyncSvr"};
    EXPECT_TRUE(f[L"optShutDownAndReboot"].Checked());
    for (const wchar_t* b : boxes) {
        EXPECT_FALSE(f[b].Enabled()) << b;
        EXPECT_EQ(f[b].Value(), CheckState::Unchecked) << b;
    }
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
}

TEST_F(Schedule, ViewLogOpensTheHistoryInNotepadOrSaysThereIsNone) {
    const std::wstring history = rt::JoinPath(rt::App().path, L"RestartHistory.Log");
    const auto viewLog = [this] {  // the File menu's first item
        HMENU file = ::GetSubMenu(::GetMenu(configure_.Hwnd()), 0);
        ::SendMessageW(configure_.Hwnd(), WM_COMMAND, ::GetMenuItemID(file, 0), 0);
    };
    ::DeleteFileW(history.c_str());
    std::wstring text;
    Answered({test::ReadAndPress(rt::kProgramTitle, text)}, viewLog);
    EXPECT_EQ(text, L"No logging activity has taken place...");
    EXPECT_EQ(::FindWindowW(nullptr, L"RestartHistory.Log - Notepad"), nullptr) << "no process started";

    test::WriteBytes(history, "12/7/2026 3:00:00 AM restarted\r\n");
    const std::size_t kept = KeptCommandCount();
    viewLog();
    EXPECT_EQ(KeptCommandCount(), kept) << "notepad's handle is not kept";
    HWND notepad = nullptr;
    test::WaitUntil([&] { return (notepad = ::FindWindowW(nullptr, L"RestartHistory.Log - Notepad")) != nullptr; },
                    std::chrono::milliseconds(15000));
    ::DeleteFileW(history.c_str());
    ASSERT_NE(notepad, nullptr) << "notepad opened the history file";
    ::PostMessageW(notepad, WM_CLOSE, 0, 0);
}

// A new task through the manager: name, property dialog (cancelled), then the
// task as Task Scheduler holds it; then enabled and re-timed through the
// dialog, after which Task Scheduler itself has it due at the typed time.
TEST_F(Schedule, NewTaskIsStoredDisabledAsSystemThenEnabledAndDueAtTheTimeTyped) {
    Click(configure_, L"optBounceServices");
    Click(configure_, L"chkPmSpeechSvr");
    frmSchedule& schedule = ShowManager();
    const std::wstring properties = mymyLoadString(IDS_TASK_PROPERTIES) + L" - " + kTaskName;
    HWND boxOwner = nullptr, dialogOwner = nullptr;
    // Blanks around the name: the task is stored without them.
    EXPECT_EQ(Answered({Typed(rt::kProgramTitle, L"  " + gTaskName + L" ", &boxOwner),
                        OwnerThen(properties, dialogOwner, IDCANCEL)},
                       [&] { Click(schedule, L"cmdNew"); }),
              2);
    EXPECT_EQ((std::vector<HWND>{boxOwner, dialogOwner}), (std::vector<HWND>{schedule.Hwnd(), schedule.Hwnd()}));
    RawTask raw;
    ASSERT_TRUE(ReadRaw(kTaskName, raw));
    EXPECT_EQ((std::vector<std::wstring>{raw.application, raw.parameters, raw.creator, raw.folder}),
              (std::vector<std::wstring>{rt::JoinPath(rt::App().path, L"OrvaneScheduledRestart.exe"),
                                         L"/Bounce:PmSpeechSvr", L"Scheduled Orvane Restart", rt::App().path}));
    EXPECT_TRUE(raw.flags & TASK_FLAG_DISABLED);
    EXPECT_NE(raw.nextRun, S_OK) << "a disabled task is never due";
    EXPECT_EQ(raw.triggers.substr(0, 7) + raw.triggers.substr(raw.triggers.find(L" flags"), 9), L"type 1  flags 0 ")
        << "one daily trigger, enabled: the task's own flag is the one switch";

    // The list and the details pane show it.
    ASSERT_GE(TaskIndex(), 0);
    schedule[L"lstTasks"].SetListIndex(TaskIndex());
    EXPECT_EQ(schedule[L"lblInfo(1)"].Caption(), L"/Bounce:PmSpeechSvr");
    EXPECT_NE(schedule[L"txtSchedule"].Caption().find(L"\r\n"), std::wstring::npos);
    EXPECT_EQ(schedule[L"lblInfo(3)"].Caption().size(), 20u) << "HH:MM:SS DD-MMM-YYYY";

    const SYSTEMTIME begin = DaysAhead(40);
    const auto retime = [&begin](HWND dialog) {
        ::SetWindowTextW(Child(dialog, L"Edit", 0), L"03:15");
        ::SetWindowTextW(Child(dialog, L"Edit", 1), L"2");
        ::SetWindowTextW(Child(dialog, L"Edit", 2), IsoDate(begin).c_str());
        ::SendMessageW(::FindWindowExW(dialog, nullptr, L"Button", L"Enabled (the task runs at its time)"), BM_CLICK, 0, 0);
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    };
    EXPECT_EQ(Answered({{properties, retime}}, [&] { Click(schedule, L"cmdProps"); }), 1);
    ASSERT_TRUE(ReadRaw(kTaskName, raw));
    EXPECT_FALSE(raw.flags & TASK_FLAG_DISABLED);
    EXPECT_EQ(raw.triggers, L"type 1 at 03:15 from " + IsoDate(begin) + L" flags 0 every 2/0; ");
    ASSERT_EQ(raw.nextRun, S_OK) << "Task Scheduler has it due";
    // At the typed time, on the begin date or within one interval of it
    // (Wine counts the interval from today, Windows from the begin date).
    const std::wstring day = IsoDate(raw.next);
    EXPECT_EQ((std::vector<int>{raw.next.wHour, raw.next.wMinute}), (std::vector<int>{3, 15}));
    EXPECT_TRUE(day == IsoDate(begin) || day == IsoDate(DaysAhead(41))) << rt::ToUtf8(day);
    schedule[L"lstTasks"].SetListIndex(TaskIndex());
    EXPECT_EQ(schedule[L"lblInfo(4)"].Caption(), TaskDateTimeText(raw.next)) << "the manager shows the same";
}

// The local system account by its SID, however it is written; a value that
// holds the mark is filled in once.
TEST(TaskTexts, TheSystemAccountByItsSidAndMarksFilledInOnce) {
    wchar_t user[256] = {};
    DWORD size = 256;
    ::GetUserNameW(user, &size);
    const std::pair<std::wstring, bool> accounts[] = {{L"", true}, {L"SYSTEM", true}, {L"nt authority\\system", true},
        {L"S-1-5-18", true}, {L"S-1-5-32-544", false}, {user, false}, {L"OrvaneTest no such account", false}};
    for (const auto& [name, system] : accounts) EXPECT_EQ(IsLocalSystemAccount(name), system) << rt::ToUtf8(name);
    EXPECT_EQ(Replace(L"at %1, %1", L"%1", L"%1%1"), L"at %1%1, %1%1");
}

// The task as stored: its file's bytes and when it was last written.
std::pair<std::string, ULONGLONG> JobFile(const wchar_t* name) {
    wchar_t windows[MAX_PATH] = {};
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring path = std::wstring(windows) + L"\\Tasks\\" + name + L".job";
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return {test::ReadBytes(path), (ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime};
}

// Properties -> OK with nothing changed saves nothing (a Task Scheduler 1.0
// save drops what only 2.0 knows): the task file stays as it was, whatever
// its schedule; a schedule the dialog cannot show whole is kept when
// something else changes.
TEST_F(Schedule, PropertiesOkSavesOnlyWhatChanged) {
    TASK_TRIGGER weekly = TriggerAt(TASK_TIME_TRIGGER_WEEKLY, 4, 30);
    weekly.Type.Weekly = {2, TASK_SUNDAY};  // Sundays 04:30, every 2 weeks
    TASK_TRIGGER daily = TriggerAt(TASK_TIME_TRIGGER_DAILY, 2, 0);
    daily.Type.Daily.DaysInterval = 1;
    const auto ok = [](HWND dialog) { ::PostMessageW(dialog, WM_COMMAND, IDOK, 0); };
    const auto disable = [ok](HWND d) {  // untick Enabled, then OK
        ::SendMessageW(::FindWindowExW(d, nullptr, L"Button", L"Enabled (the task runs at its time)"), BM_CLICK, 0, 0), ok(d);
    };
    for (const auto& triggers : {std::vector{daily}, std::vector{weekly}, std::vector{daily, weekly}}) {
        DeleteRaw(kTaskName);
        MakeRaw(kTaskName, triggers);
        RawTask before, after;
        ASSERT_TRUE(ReadRaw(kTaskName, before));
        const auto stored = JobFile(kTaskName);
        ::Sleep(20);
        ShowManager().RefreshList();
        const auto press = [this](const std::function<void(HWND)>& act) {
            schedule_[L"lstTasks"].SetListIndex(TaskIndex());
            return Answered({{mymyLoadString(IDS_TASK_PROPERTIES) + L" - " + kTaskName, act}},
                            [this] { Click(schedule_, L"cmdProps"); });
        };
        EXPECT_EQ(press(ok), 1);
        EXPECT_TRUE(JobFile(kTaskName) == stored) << "OK with nothing changed rewrote the task";
        EXPECT_EQ(press(disable), 1);
        ASSERT_TRUE(ReadRaw(kTaskName, after));
        EXPECT_EQ((std::vector<std::wstring>{after.triggers, after.application, after.parameters, after.account}),
                  (std::vector<std::wstring>{before.triggers, before.application, before.parameters, before.account}));
        EXPECT_EQ(after.flags, before.flags | TASK_FLAG_DISABLED);
    }
}

// Every window opened from the configuration window is owned by it, and the
// focus comes back to it when one closes (checked when CTest runs this test
// alone: another test program's new window would take the focus).
TEST_F(Schedule, WindowsOpenedFromTheConfigurationAreOwnedByIt) {
    const bool alone = std::getenv("ORV_ALONE") != nullptr;
    const auto command = [this](const wchar_t* item) {  // returns when the handler does
        ::SendMessageW(configure_.Hwnd(), WM_COMMAND, configure_.MenuId(*configure_.FindMenu(item)), 0);
    };
    HWND scheduler = nullptr, about = nullptr;
    Answered({OwnerThen(mymyLoadString(IDS_SCHEDULER_CAPTION), scheduler)}, [this] { Click(configure_, L"cmdScheduleRestart"); });
    const HWND afterScheduler = ::GetActiveWindow();
    Answered({OwnerThen(mymyLoadString(IDS_PROGRAM_CAPTION), about)}, [&] { command(L"About"); });
    if (alone) {
        EXPECT_EQ(afterScheduler, configure_.Hwnd()) << "after the scheduler closed";
        EXPECT_EQ(::GetActiveWindow(), configure_.Hwnd()) << "after About hid";
    }
    EXPECT_EQ((std::vector<HWND>{scheduler, about}), (std::vector<HWND>{configure_.Hwnd(), configure_.Hwnd()}));
    command(L"Help");
    EXPECT_EQ(::GetWindow(TheDetailsForm().Hwnd(), GW_OWNER), configure_.Hwnd());
    TheDetailsForm().Unload();
}

// Refusals and deletion: each answered box says what it must; nothing else
// happens.
TEST_F(Schedule, DuplicateAndInvalidNamesAreRefusedDeleteAsksFirstAndATaskGoneIsReported) {
    SaveTask();
    frmSchedule& schedule = ShowManager();
    std::wstring upper = gTaskName;
    ::CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    const std::pair<std::wstring, std::wstring> cases[] = {
        {upper, mymyLoadString(IDS_UNIQUE_TASK_NAME)},  // names ignore case
        {L" " + gTaskName + L"  ", mymyLoadString(IDS_UNIQUE_TASK_NAME)},  // as it would be stored
        {L"Nightly: restart", mymyLoadString(IDS_INVALID_TASK_NAME)},
    };
    for (const auto& [name, message] : cases) {
        std::wstring shown;
        EXPECT_EQ(Answered({Typed(rt::kProgramTitle, name), test::ReadAndPress(rt::kProgramTitle, shown)},
                           [&] { Click(schedule, L"cmdNew"); }),
                  2);
        EXPECT_EQ(shown, message) << rt::ToUtf8(name);
    }
    for (int answer : {IDNO, IDYES}) {
        ASSERT_GE(TaskIndex(), 0);
        schedule[L"lstTasks"].SetListIndex(TaskIndex());
        std::wstring asked;
        Answered({test::ReadAndPress(rt::kProgramTitle, asked, answer)}, [&] { Click(schedule, L"cdmDelete"); });
        EXPECT_EQ(asked, mymyLoadString(IDS_CONFIRM_DELETE) + kTaskName + L"\"?");
        RawTask raw;
        EXPECT_EQ(ReadRaw(kTaskName, raw), answer == IDNO);
    }
    // Deleted by someone else between the refresh and the click: the
    // system's text, and the list as it is now.
    SaveTask();
    schedule.RefreshList();
    const int index = TaskIndex();
    ASSERT_GE(index, 0);
    DeleteRaw(kTaskName);
    std::wstring shown;
    EXPECT_EQ(Answered({test::ReadAndPress(rt::kProgramTitle, shown)}, [&] { schedule[L"lstTasks"].SetListIndex(index); }), 1);
    EXPECT_FALSE(shown.empty());
    EXPECT_EQ(TaskIndex(), -1);
}

// A run of the task as Task Scheduler records it in the task's file (the
// tests' tasks never come due): exit code, status "has run", and when.
void SimulateLastRun(const wchar_t* name, DWORD exitCode, const SYSTEMTIME& at) {
    wchar_t windows[MAX_PATH] = {};
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring path = std::wstring(windows) + L"\\Tasks\\" + name + L".job";
    // Task Scheduler reads a task file it sees change with others kept out of
    // writing: wait that out, as it does itself, and write in place.
    rt::UniqueHandle file;
    for (int tries = 0; !file && tries < 100; ++tries) {
        file.reset(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file && ::GetLastError() == ERROR_SHARING_VIOLATION) ::Sleep(20);
        else if (!file) break;
    }
    ASSERT_TRUE(file) << "error " << ::GetLastError();
    const DWORD result[] = {exitCode, 0x41300};  // SCHED_S_TASK_READY
    DWORD written = 0;
    ASSERT_NE(::SetFilePointer(file.get(), 40, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    ASSERT_TRUE(::WriteFile(file.get(), &result, sizeof result, &written, nullptr) && written == sizeof result);
    ASSERT_NE(::SetFilePointer(file.get(), 52, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    ASSERT_TRUE(::WriteFile(file.get(), &at, sizeof at, &written, nullptr) && written == sizeof at);
}

// Beside its last run time, the manager shows the last result with its
// meaning; its Preview shows what a run of the task's line would do, or why
// there is nothing to show.
TEST_F(Schedule, LastResultAndPreviewOfTheSelectedTask) {
    TASK_TRIGGER daily = TriggerAt(TASK_TIME_TRIGGER_DAILY, 2, 0);
    daily.Type.Daily.DaysInterval = 1;
    MakeRaw(kTaskName, {daily});
    frmSchedule& schedule = ShowManager();
    const auto select = [&] {
        schedule.RefreshList();
        schedule[L"lstTasks"].SetListIndex(TaskIndex());
        return schedule[L"lblInfo(6)"].Caption();
    };
    EXPECT_EQ(select(), mymyLoadString(IDS_RESULT_NEVER));
    // Each code's meaning is the core's table to check; here, that it shows.
    SimulateLastRun(kTaskName, 2, SYSTEMTIME{2026, 12, 1, 7, 3, 15, 0, 0});
    EXPECT_EQ(select(), Replace(mymyLoadString(IDS_RESULT_2), L"%1", L"2"));
    EXPECT_NE(schedule[L"lblInfo(3)"].Caption().find(L"03:15"), std::wstring::npos);
    // A line that names no action: said, nothing run.
    std::wstring shown;
    EXPECT_EQ(Answered({test::ReadAndPress(rt::kProgramTitle, shown)}, [&] { Click(schedule, L"cmdPreview"); }), 1);
    EXPECT_EQ(shown, Replace(mymyLoadString(IDS_PV_NO_ACTION), L"%1", L"C:\\Tools\\other.exe /weekly"));
    // The task's own line: its plan, in the preview window.
    ComPtr<ITask> task;
    ASSERT_HRESULT_SUCCEEDED(Scheduler()->Activate(kTaskName, IID_ITask, reinterpret_cast<IUnknown**>(task.GetAddressOf())));
    task->SetApplicationName(L"C:\\Program Files\\Orvane Restart\\OrvaneScheduledRestart.exe");
    task->SetParameters(L"/Bounce:PmSyncSvr");
    ComPtr<IPersistFile> file;
    ASSERT_HRESULT_SUCCEEDED(task.As(&file));
    ASSERT_HRESULT_SUCCEEDED(file->Save(nullptr, TRUE));
    schedule.RefreshList();
    schedule[L"lstTasks"].SetListIndex(TaskIndex());
    std::wstring plan;
    const std::wstring caption = Replace(mymyLoadString(IDS_PV_CAPTION), L"%1", L"/Bounce:PmSyncSvr");
    EXPECT_EQ(Answered({{caption, [&plan](HWND w) {
                             plan = rt::WindowText(Child(w, L"Edit", 0));
                             ::PostMessageW(w, WM_CLOSE, 0, 0);
                         }}},
                       [&] { Click(schedule, L"cmdPreview"); }),
              1);
    EXPECT_NE(plan.find(L"Runs: Net Stop PmSyncSvr  (normal window, waits up to 120 s)\r\n"), std::wstring::npos) << rt::ToUtf8(plan);
    EXPECT_NE(plan.find(L"\r\nVerdict: "), std::wstring::npos);
}

// Run by the reboot end-to-end case in its sandbox, once after "/Reboot"
// (ORV_BOOT_CHECK_FOLDER: the program's folder) and once after "/Verify"
// (ORV_BOOT_CHECK_GONE): the task of the check after the boot as Task
// Scheduler stores it, and then gone.
TEST(BootCheckTask, AsTaskSchedulerStoresItThenGone) {
    const char* folder = std::getenv("ORV_BOOT_CHECK_FOLDER");
    if (!folder) GTEST_SKIP() << "run by the reboot end-to-end case";
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    RawTask raw;
    const bool found = ReadRaw(L"OrvaneScheduledRestart verification", raw);
    ASSERT_EQ(found, std::getenv("ORV_BOOT_CHECK_GONE") == nullptr);
    if (!found) return;
    // At start-up, and once when the reboot is overdue: Task Scheduler has that one due.
    const std::size_t second = raw.triggers.find(L"; ") + 2;
    EXPECT_EQ(raw.triggers.substr(0, 7) + raw.triggers.substr(raw.triggers.find(L" flags"), 9) +
                  raw.triggers.substr(second, 7) + raw.triggers.substr(raw.triggers.find(L" flags", second), 9),
              L"type 6  flags 0 type 0  flags 0 ") << raw.triggers;
    EXPECT_EQ(raw.nextRun, S_OK);
    EXPECT_FALSE(raw.flags & TASK_FLAG_DISABLED);
    // The once trigger: the first whole minute past the bound stored with
    // the record, never before it (local time, as triggers are).
    const StoredNumber made = ReadProgramNumber(L"BootCheckTime"), minutes = ReadProgramNumber(L"BootCheckMinutes");
    ComPtr<ITask> task;  // and its second trigger, the once one:
    ComPtr<ITaskTrigger> once;
    TASK_TRIGGER t{};
    t.cbTriggerSize = sizeof t;
    ASSERT_HRESULT_SUCCEEDED(Scheduler()->Activate(L"OrvaneScheduledRestart verification", IID_ITask,
                                                   reinterpret_cast<IUnknown**>(task.GetAddressOf())));
    ASSERT_TRUE(made.isNumber && minutes.isNumber && SUCCEEDED(task->GetTrigger(1, &once)) && SUCCEEDED(once->GetTrigger(&t)));
    const ULONGLONG utc = (ULONGLONG{made.value} + 11644473600ULL) * 10000000ULL;
    const FILETIME madeUtc{static_cast<DWORD>(utc), static_cast<DWORD>(utc >> 32)};
    FILETIME madeLocal{}, fires{};
    const SYSTEMTIME at{t.wBeginYear, t.wBeginMonth, 0, t.wBeginDay, t.wStartHour, t.wStartMinute, 0, 0};
    ASSERT_TRUE(::FileTimeToLocalFileTime(&madeUtc, &madeLocal) && ::SystemTimeToFileTime(&at, &fires));
    const auto seconds = [](const FILETIME& ft) { return (LONGLONG{ft.dwHighDateTime} << 32 | ft.dwLowDateTime) / 10000000; };
    EXPECT_GE(seconds(fires) - seconds(madeLocal), LONGLONG{minutes.value} * 60);
    EXPECT_LT(seconds(fires) - seconds(madeLocal), LONGLONG{minutes.value} * 60 + 120);
    const std::wstring program = rt::FromUtf8(folder);
    EXPECT_EQ((std::vector<std::wstring>{raw.application, raw.parameters, raw.folder, raw.creator}),
              (std::vector<std::wstring>{program + L"\\OrvaneScheduledRestart.exe", L"/Verify", program,
                                         L"Scheduled Orvane Restart"}));
    if (raw.accountRead) {
        EXPECT_EQ(raw.account, L"") << "the local system account";
    }
}

}  // namespace

// The scheduling verbs, in process: the task Task Scheduler stores and says
// is due, a replacement, a foreign task of that name refused and untouched,
// "/Unschedule:*" of the program's tasks only, "/Tasks" with a last run, and
// a computer that cannot be reached.
TEST(TaskVerbsRun, ScheduleReplaceRefuseUnscheduleAndList) {
    const test::Turn turn(test::kTaskScheduler);
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const wchar_t* const ours[] = {L"Orvane verb test", L"Orvane verb test 2"};
    const wchar_t* const foreign = L"Orvane verb foreign";
    const wchar_t* const quoted = L"Orvane verb quoted";
    for (const wchar_t* n : {ours[0], ours[1], foreign, quoted}) DeleteRaw(n);
    const auto run = [](const std::wstring& line) { return RunTaskVerb(ParseTaskVerb(line)); };

    const SYSTEMTIME from = DaysAhead(55);
    const std::wstring fromText = L" /From:" + IsoDate(DaysAhead(50));  // never due while the test runs
    VerbResult r = run(L"/Schedule:\"Orvane verb test\" /Reboot /At:03:15 /From:" + IsoDate(from));
    ASSERT_EQ(r.exitCode, 0) << rt::ToUtf8(r.text);
    RawTask raw;
    ASSERT_TRUE(ReadRaw(ours[0], raw));
    EXPECT_EQ(raw.application, rt::JoinPath(rt::App().path, L"OrvaneScheduledRestart.exe"));
    EXPECT_EQ(raw.parameters, L"/Reboot");
    EXPECT_EQ(raw.folder, rt::App().path);
    EXPECT_EQ(raw.creator, mymyLoadString(IDS_SCHEDULED_RESTART_TASK));
    EXPECT_EQ(raw.flags & TASK_FLAG_DISABLED, 0u);
    EXPECT_EQ(raw.accountRead ? raw.account : L"", L"") << "the local system account (Wine never says)";
    EXPECT_EQ(raw.triggers, L"type 1 at 03:15 from " + IsoDate(from) + L" flags 0 every 1/0; ");
    // Task Scheduler's own verdict: due at the time asked for, and printed.
    ASSERT_EQ(raw.nextRun, S_OK);
    EXPECT_EQ(std::vector<WORD>({raw.next.wYear, raw.next.wMonth, raw.next.wDay, raw.next.wHour, raw.next.wMinute}),
              std::vector<WORD>({from.wYear, from.wMonth, from.wDay, 3, 15}));
    EXPECT_NE(r.text.find(L"next run " + IsoDate(from) + L" 03:15"), std::wstring::npos) << rt::ToUtf8(r.text);

    // The same again replaces it.
    r = run(L"/Schedule:\"orvane VERB test\" /Bounce:PmSyncSvr /At:04:45 /EveryDays:3" + fromText);
    ASSERT_EQ(r.exitCode, 0) << rt::ToUtf8(r.text);
    ASSERT_TRUE(ReadRaw(ours[0], raw));
    EXPECT_EQ(raw.parameters, L"/Bounce:PmSyncSvr");
    EXPECT_NE(raw.triggers.find(L"at 04:45"), std::wstring::npos);
    EXPECT_NE(raw.triggers.find(L"every 3/"), std::wstring::npos);

    // Another program's task of that name: refused, byte for byte as it was.
    TASK_TRIGGER daily = TriggerAt(TASK_TIME_TRIGGER_DAILY, 2, 0);
    daily.Type.Daily.DaysInterval = 1;
    MakeRaw(foreign, {daily});
    const auto before = JobFile(foreign);
    r = run(L"/Schedule:\"Orvane verb foreign\" /Reboot /At:03:15");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.text.find(L"runs another program"), std::wstring::npos) << rt::ToUtf8(r.text);
    EXPECT_EQ(JobFile(foreign), before);
    EXPECT_EQ(run(L"/Unschedule:\"Orvane verb foreign\"").exitCode, 1);
    EXPECT_EQ(JobFile(foreign), before);

    // "/Tasks": the program's tasks only, with a last run and its meaning;
    // the program's path in quotes, as schtasks /TR may store it, is still
    // the program's; a task file Task Scheduler 1.0 cannot read is left out
    // with a note on the standard error, and fails nothing.
    ASSERT_EQ(run(L"/Schedule:\"Orvane verb test 2\" /Restart /At:05:00" + fromText).exitCode, 0);
    SimulateLastRun(ours[1], 2, SYSTEMTIME{2026, 12, 1, 7, 3, 15, 0, 0});
    MakeRaw(quoted, {daily}, L"\"" + rt::JoinPath(rt::App().path, L"OrvaneScheduledRestart.exe") + L"\"");
    wchar_t windows[MAX_PATH]{};
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring broken = std::wstring(windows) + L"\\Tasks\\Orvane verb broken.job";
    test::WriteBytes(broken, std::string(40, '\x7f'));
    r = run(L"/Tasks");
    ASSERT_EQ(r.exitCode, 0) << rt::ToUtf8(r.text);
    EXPECT_NE(r.text.find(std::wstring(quoted) + L"\t"), std::wstring::npos) << rt::ToUtf8(r.text);
    EXPECT_NE(r.notes.find(L"skipped \"Orvane verb broken\""), std::wstring::npos) << rt::ToUtf8(r.notes);
    EXPECT_EQ(r.text.rfind(L"Name\tCommand line\tSchedule\tEnabled\tNext run\tLast run\tLast result\r\n", 0), 0u);
    EXPECT_NE(r.text.find(L"Orvane verb test 2\t/Restart\t"), std::wstring::npos) << rt::ToUtf8(r.text);
    EXPECT_NE(r.text.find(L"\tyes\t"), std::wstring::npos);
    EXPECT_NE(r.text.find(L"\t2026-12-07 03:15\t" + Replace(mymyLoadString(IDS_RESULT_2), L"%1", L"2") + L"\r\n"),
              std::wstring::npos)
        << rt::ToUtf8(r.text);
    EXPECT_EQ(r.text.find(foreign), std::wstring::npos);

    // Unreachable: Task Scheduler's own error, exit 2; this computer by name works.
    r = run(L"/Tasks /Computer:ORVANE-NO-SUCH-HOST");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.text.find(L"ORVANE-NO-SUCH-HOST: "), std::wstring::npos) << rt::ToUtf8(r.text);
    wchar_t self[MAX_COMPUTERNAME_LENGTH + 1]{};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    ::GetComputerNameW(self, &size);
    EXPECT_EQ(run(std::wstring(L"/Tasks /Computer:\\\\") + self).exitCode, 0);

    // "/Unschedule:*": every task of the program, and only those.
    r = run(L"/Unschedule:*");
    EXPECT_EQ(r.exitCode, 0) << rt::ToUtf8(r.text);
    EXPECT_NE(r.notes.find(L"skipped \"Orvane verb broken\""), std::wstring::npos) << rt::ToUtf8(r.notes);
    ::DeleteFileW(broken.c_str());
    EXPECT_FALSE(ReadRaw(ours[0], raw));
    EXPECT_FALSE(ReadRaw(ours[1], raw));
    EXPECT_FALSE(ReadRaw(quoted, raw));
    EXPECT_TRUE(ReadRaw(foreign, raw));
    EXPECT_EQ(run(L"/Unschedule:\"Orvane verb test\"").exitCode, 1);  // gone: said so
    DeleteRaw(foreign);
}
