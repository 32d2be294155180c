#include "schedule/TaskCommand.h"

#include <cwchar>
#include <optional>
#include <vector>

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
    std::vector<std::wstring> names;
    for (const COMPUTER_NAME_FORMAT format : {ComputerNameNetBIOS, ComputerNameDnsHostname, ComputerNameDnsFullyQualified}) {
        wchar_t name[256]{};
        DWORD size = 256;
        if (::GetComputerNameExW(format, name, &size)) names.emplace_back(name);
    }
    return NamesThisComputer(computer, names);
}

// A task the 1.0 interface cannot open or read (one made for Task Scheduler
// 2.0 only) is left out, with a note; it never fails the whole verb.
template <class Body>
bool ReadOrNote(const std::wstring& name, std::wstring& notes, Body&& body) {
    try {
        body();
        return true;
    } catch (const std::exception& e) {
        notes += L"skipped \"" + name + L"\": Task Scheduler 1.0 cannot read it (" + rt::FromUtf8(e.what()) + L")\r\n";
        return false;
    }
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
    const std::wstring folder = FolderOfProgram(program);
    // The task runs as the local system account whatever lies in that folder.
    if (IsThisComputer(verb.computer)) {
        if (const std::wstring writers = FolderWritersBesidesAdmins(folder); !writers.empty()) {
            return {1, L"refused: the program folder " + folder + L" can be changed by " + writers +
                           L", not only by administrators, and the task would run as the local system account; "
                           L"install with the MSI, or remove that write access\r\n"};
        }
    }
    DailySchedule schedule = verb.schedule;
    if (schedule.year == 0) {
        SYSTEMTIME today{};
        ::GetLocalTime(&today);
        schedule.year = today.wYear, schedule.month = today.wMonth, schedule.day = today.wDay;
    }
    // A task of the program's under that name is rewritten in place: until
    // the new one is saved, the old one stays as it was.
    std::optional<ScheduledTask> task;
    if (const std::wstring old = Existing(tasks, verb.name); !old.empty()) {
        task = tasks.GetTask(old);
        if (!IsProgramsTask(task->ApplicationName())) {
            return {1, L"refused: the task \"" + old + L"\" runs another program (" + task->ApplicationName() +
                           L"); it is left as it is\r\n"};
        }
        task->ClearFlags();
        task->KeepFirstTriggerOnly();
        task->SetAccount(L"", L"");
    } else {
        task = tasks.AddTask(verb.name);
    }
    task->SetApplicationName(program);
    task->SetCommandLine(rt::FromUtf8(verb.action.line));
    task->SetWorkingDirectory(folder);
    task->SetCreator(mymyLoadString(IDS_SCHEDULED_RESTART_TASK));
    task->SetDailySchedule(schedule);
    task->SetEnabled(true);
    task->Save();
    // Task Scheduler's own word on when it runs.
    const std::wstring next = IsoTime(tasks.GetTask(task->name()).NextRunTime());
    return {0, L"scheduled \"" + task->name() + L"\": " + program + L" " + rt::FromUtf8(verb.action.line) +
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
    VerbResult result;
    for (const std::wstring& name : tasks.Names()) {
        bool ours = false;
        if (!ReadOrNote(name, result.notes, [&] { ours = IsProgramsTask(tasks.GetTask(name).ApplicationName()); }) ||
            !ours) {
            continue;
        }
        tasks.RemoveTask(name);
        result.text += L"deleted \"" + name + L"\"\r\n";
    }
    return result;
}

VerbResult List(ScheduledTasks& tasks) {
    VerbResult result(0, L"Name\tCommand line\tSchedule\tEnabled\tNext run\tLast run\tLast result\r\n");
    for (const std::wstring& name : tasks.Names()) {
        std::wstring row;
        ReadOrNote(name, result.notes, [&] {
            const ScheduledTask task = tasks.GetTask(name);
            if (!IsProgramsTask(task.ApplicationName())) return;
            const TaskResult last = task.LastResult();
            row = Field(name) + L"\t" + Field(task.CommandLine()) + L"\t" + Field(TriggerLines(task.Triggers())) +
                  L"\t" + (task.Enabled() ? L"yes" : L"no") + L"\t" + IsoTime(task.NextRunTime()) + L"\t" +
                  (last.Ran() ? IsoTime(task.LastRunTime()) : std::wstring()) + L"\t" + Field(LastResultText(last)) +
                  L"\r\n";
        });
        result.text += row;
    }
    return result;
}

}  // namespace

bool IsProgramsTask(const std::wstring& applicationName) {
    const std::wstring path = UnquotedPath(applicationName);
    const std::size_t slash = path.find_last_of(L"\\/");
    return SameNoCase(path.substr(slash == std::wstring::npos ? 0 : slash + 1), kProgramFile);
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
