#include "schedule/TaskCommand.h"

#include <cwchar>

#include "core/ProgramError.h"
#include "hostenv/FolderAccess.h"
#include "localize/RestartResCONST.h"
#include "localize/modLocalize.h"
#include "runtime/App.h"
#include "runtime/Text.h"
#include "schedule/TaskTexts.h"

namespace {

bool SameNoCase(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/")); }

// "YYYY-MM-DD HH:MM" for scripts in any language; empty for no time.
std::wstring IsoTime(const SYSTEMTIME& t) {
    if (t.wYear == 0) return {};
    wchar_t text[32]{};
    std::swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
    return text;
}

// One tab-separated field: its own tabs and line ends become blanks.
std::wstring Field(std::wstring text) {
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    for (std::size_t at = 0; (at = text.find(L"\r\n", at)) != std::wstring::npos;) text.replace(at, 2, L"; ");
    for (wchar_t& c : text) c = c == L'\t' || c == L'\r' || c == L'\n' ? L' ' : c;
    return text;
}

bool IsThisComputer(const std::wstring& computer) {
    if (computer.empty()) return true;
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1]{};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    ::GetComputerNameW(name, &size);
    return SameNoCase(computer.compare(0, 2, L"\\\\") == 0 ? computer.substr(2) : computer, name);
}

// The stored name of a task that exists, in any letter case; empty when none.
std::wstring Existing(const ScheduledTasks& tasks, const std::wstring& name) {
    for (const std::wstring& n : tasks.Names()) {
        if (SameNoCase(n, name)) return n;
    }
    return {};
}

VerbResult Schedule(ScheduledTasks& tasks, const TaskVerb& verb) {
    const std::wstring program = verb.programPath.empty() ? rt::JoinPath(rt::App().path, kProgramFile) : verb.programPath;
    const std::wstring folder = FolderOf(program);
    // The task runs as the local system account whatever lies in that folder.
    if (IsThisComputer(verb.computer)) {
        if (const std::wstring writers = FolderWritersBesidesAdmins(folder); !writers.empty()) {
            return {1, L"refused: the program folder " + folder + L" can be changed by " + writers +
                           L", not only by administrators, and the task would run as the local system account; "
                           L"install with the MSI, or remove that write access\r\n"};
        }
    }
    if (const std::wstring old = Existing(tasks, verb.name); !old.empty()) {
        const ScheduledTask existing = tasks.GetTask(old);
        if (!IsProgramsTask(existing.ApplicationName())) {
            return {1, L"refused: the task \"" + old + L"\" runs another program (" + existing.ApplicationName() +
                           L"); it is left as it is\r\n"};
        }
        tasks.RemoveTask(old);
    }
    DailySchedule schedule = verb.schedule;
    if (schedule.year == 0) {
        SYSTEMTIME today{};
        ::GetLocalTime(&today);
        schedule.year = today.wYear, schedule.month = today.wMonth, schedule.day = today.wDay;
    }
    ScheduledTask task = tasks.AddTask(verb.name);
    task.SetApplicationName(program);
    task.SetCommandLine(rt::FromUtf8(verb.action.line));
    task.SetWorkingDirectory(folder);
    task.SetCreator(mymyLoadString(IDS_SCHEDULED_RESTART_TASK));
    task.SetDailySchedule(schedule);
    task.SetEnabled(true);
    task.Save();
    // Task Scheduler's own word on when it runs.
    const std::wstring next = IsoTime(tasks.GetTask(verb.name).NextRunTime());
    return {0, L"scheduled \"" + verb.name + L"\": " + program + L" " + rt::FromUtf8(verb.action.line) +
                   L"; next run " + (next.empty() ? L"none" : next) + L"\r\n"};
}

VerbResult Unschedule(ScheduledTasks& tasks, const TaskVerb& verb) {
    if (!verb.all) {
        const std::wstring name = Existing(tasks, verb.name);
        if (name.empty()) return {1, L"no task named \"" + verb.name + L"\"\r\n"};
        const ScheduledTask task = tasks.GetTask(name);
        if (!IsProgramsTask(task.ApplicationName())) {
            return {1, L"refused: the task \"" + name + L"\" runs another program (" + task.ApplicationName() +
                           L"); it is left as it is\r\n"};
        }
        tasks.RemoveTask(name);
        return {0, L"deleted \"" + name + L"\"\r\n"};
    }
    std::wstring text;
    for (const std::wstring& name : tasks.Names()) {
        if (!IsProgramsTask(tasks.GetTask(name).ApplicationName())) continue;
        tasks.RemoveTask(name);
        text += L"deleted \"" + name + L"\"\r\n";
    }
    return {0, text};
}

VerbResult List(ScheduledTasks& tasks) {
    std::wstring text = L"Name\tCommand line\tSchedule\tEnabled\tNext run\tLast run\tLast result\r\n";
    for (const std::wstring& name : tasks.Names()) {
        const ScheduledTask task = tasks.GetTask(name);
        if (!IsProgramsTask(task.ApplicationName())) continue;
        const std::optional<DWORD> code = task.LastExitCode();
        text += Field(name) + L"\t" + Field(task.CommandLine()) + L"\t" + Field(TriggerLines(task.Triggers())) + L"\t" +
                (task.Enabled() ? L"yes" : L"no") + L"\t" + IsoTime(task.NextRunTime()) + L"\t" +
                (code ? IsoTime(task.LastRunTime()) : std::wstring()) + L"\t" + Field(LastResultText(code)) + L"\r\n";
    }
    return {0, text};
}

}  // namespace

bool IsProgramsTask(const std::wstring& applicationName) {
    const std::size_t slash = applicationName.find_last_of(L"\\/");
    return SameNoCase(applicationName.substr(slash == std::wstring::npos ? 0 : slash + 1), kProgramFile);
}

VerbResult RunTaskVerb(const TaskVerb& verb) {
    if (verb.kind == TaskVerb::None) return {1, verb.error + L"\r\n" + kTaskVerbUsage};
    try {
        ScheduledTasks tasks(verb.computer);
        tasks.ReloadTasks();
        switch (verb.kind) {
        case TaskVerb::Schedule: return Schedule(tasks, verb);
        case TaskVerb::Unschedule: return Unschedule(tasks, verb);
        case TaskVerb::Tasks: return List(tasks);
        case TaskVerb::None: break;
        }
    } catch (const std::exception& e) {
        return {2, L"Task Scheduler failed" + (verb.computer.empty() ? L"" : L" on " + verb.computer) + L": " +
                       rt::FromUtf8(e.what()) + L"\r\n"};
    }
    return {1, L"\r\n"};
}
