#include "schedule/TaskVerbs.h"

#include <algorithm>
#include <array>
#include <utility>

#include "core/Arguments.h"

namespace {

bool SameWord(std::wstring_view word, std::wstring_view expected) {
    return word.size() == expected.size() && ContainsNoCase(word, expected);
}

// "/Name:" at the start of the word, any case; the value after it.
bool TakeValue(std::wstring_view word, std::wstring_view option, std::wstring& value) {
    if (word.size() < option.size() || !SameWord(word.substr(0, option.size()), option)) return false;
    value = word.substr(option.size());
    return true;
}

}  // namespace

const wchar_t kTaskVerbUsage[] =
    L"Usage: OrvaneScheduledRestart.exe /Schedule:\"NAME\" /Restart | /Reboot | /Bounce:Service[:Service...] "
    L"/At:HH:MM [/EveryDays:N] [/From:YYYY-MM-DD] [/Computer:NAME] [/ProgramPath:PATH]\r\n"
    L"       OrvaneScheduledRestart.exe /Unschedule:\"NAME\" | /Unschedule:* [/Computer:NAME]\r\n"
    L"       OrvaneScheduledRestart.exe /Tasks [/Computer:NAME]\r\n"
    L"Nothing was run.\r\n";

std::vector<std::wstring> SplitArguments(std::wstring_view line) {
    std::vector<std::wstring> words;
    std::wstring word;
    bool quoted = false, inWord = false;
    for (wchar_t c : line) {
        if (c == L'"') {
            quoted = !quoted;
            inWord = true;
        } else if (IsBlank(c) && !quoted) {
            if (inWord) words.push_back(std::exchange(word, {}));
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

TaskVerb ParseTaskVerb(std::wstring_view arguments) {
    TaskVerb verb;
    const auto fail = [&](std::wstring why) {
        verb.kind = TaskVerb::None;
        verb.error = std::move(why);
        return verb;
    };
    // Each argument once: the verb, the action and the options.
    enum Slot { kVerb, kAction, kAt, kEvery, kFrom, kComputer, kProgram, kSlots };
    std::array<bool, kSlots> seen{};
    const auto once = [&](Slot slot) { return !std::exchange(seen[slot], true); };
    std::wstring value;
    for (const std::wstring& word : SplitArguments(arguments)) {
        const std::wstring shown = L"\"" + word + L"\"";
        if (TakeValue(word, L"/Schedule:", value) || TakeValue(word, L"/Unschedule:", value)) {
            if (!once(kVerb)) return fail(L"only one of /Schedule, /Unschedule and /Tasks, once: " + shown);
            verb.kind = ContainsNoCase(word.substr(0, 3), L"/Sc") ? TaskVerb::Schedule : TaskVerb::Unschedule;
            if (verb.kind == TaskVerb::Unschedule && value == L"*") {
                verb.all = true;
                continue;
            }
            verb.name = ValidTaskName(value);
            if (verb.name.empty()) {
                return fail(L"not a task name Task Scheduler can store (empty, over 200 characters, a device name, a "
                            L"trailing dot, a control character or one of \\ / : * ? \" < > |): " + shown);
            }
            if (verb.kind == TaskVerb::Schedule && IsReservedTaskName(verb.name)) {
                return fail(L"reserved for the check after a reboot, which the runs make and delete: " + shown);
            }
        } else if (SameWord(word, L"/Tasks")) {
            if (!once(kVerb)) return fail(L"only one of /Schedule, /Unschedule and /Tasks, once: " + shown);
            verb.kind = TaskVerb::Tasks;
        } else if (TakeValue(word, L"/At:", value)) {
            if (!once(kAt)) return fail(L"given twice: " + shown);
            if (!ParseTaskTime(value, verb.schedule)) return fail(L"not a time from 00:00 to 23:59 (HH:MM): " + shown);
        } else if (TakeValue(word, L"/EveryDays:", value)) {
            if (!once(kEvery)) return fail(L"given twice: " + shown);
            if (!ParseDaysInterval(value, verb.schedule)) return fail(L"not a number of days from 1 to 365: " + shown);
        } else if (TakeValue(word, L"/From:", value)) {
            if (!once(kFrom)) return fail(L"given twice: " + shown);
            if (!ParseTaskDate(value, verb.schedule)) return fail(L"not a calendar day (YYYY-MM-DD): " + shown);
        } else if (TakeValue(word, L"/Computer:", value)) {
            if (!once(kComputer)) return fail(L"given twice: " + shown);
            // "\\NAME" is the usual spelling.
            const std::wstring host = value.compare(0, 2, L"\\\\") == 0 ? value.substr(2) : value;
            if (host.empty() || host.size() > 253 || host.find_first_of(L"\\/ *?\"<>|") != std::wstring::npos) {
                return fail(L"not a computer name: " + shown);
            }
            verb.computer = value;
        } else if (TakeValue(word, L"/ProgramPath:", value)) {
            if (!once(kProgram)) return fail(L"given twice: " + shown);
            const bool absolute = value.size() > 3 && ((value[1] == L':' && value[2] == L'\\') || value.compare(0, 2, L"\\\\") == 0);
            const std::size_t slash = value.find_last_of(L"\\/");
            if (!absolute || value.find_first_of(L"\"*?<>|") != std::wstring::npos ||
                !SameWord(std::wstring_view(value).substr(slash + 1), L"OrvaneScheduledRestart.exe")) {
                return fail(L"not a full path of OrvaneScheduledRestart.exe: " + shown);
            }
            verb.programPath = value;
        } else if (const ActionRequest action = ParseActionWord(word); action.valid) {
            if (!once(kAction)) return fail(L"one action, once: " + shown);
            verb.action = action;
        } else {
            return fail(L"not an argument of /Schedule, /Unschedule or /Tasks: " + shown);
        }
    }
    if (verb.kind == TaskVerb::None) return fail(L"none of /Schedule, /Unschedule and /Tasks");
    if (verb.kind == TaskVerb::Schedule) {
        if (!seen[kAction]) return fail(L"/Schedule needs an action: /Restart, /Reboot or /Bounce:Service[:Service...]");
        if (!seen[kAt]) return fail(L"/Schedule needs a time: /At:HH:MM");
    } else if (seen[kAction] || seen[kAt] || seen[kEvery] || seen[kFrom] || seen[kProgram]) {
        return fail(L"an action, /At, /EveryDays, /From and /ProgramPath belong to /Schedule only");
    }
    if (!seen[kFrom]) verb.schedule.year = verb.schedule.month = verb.schedule.day = 0;
    return verb;
}

PropertyLine ScheduleLineOfProperties(const std::wstring& name, const std::wstring& action, const std::wstring& time,
                                      const std::wstring& days) {
    DailySchedule schedule;
    if (ValidTaskName(name) != name || name.find(L'"') != std::wstring::npos) {
        return {{}, L"SCHEDULE_NAME is not a task name Task Scheduler can store, without blanks around it: " + name};
    }
    if (IsReservedTaskName(name)) return {{}, L"SCHEDULE_NAME is reserved for the check after a reboot: " + name};
    const ActionRequest parsed = ParseActionWord(L"/" + action);
    if (!parsed.valid) return {{}, L"SCHEDULE_ACTION is not Restart, Reboot or Bounce:Service[:Service...]: " + action};
    if (!ParseTaskTime(time, schedule)) return {{}, L"SCHEDULE_TIME is not a time from 00:00 to 23:59 (HH:MM): " + time};
    if (!ParseDaysInterval(days, schedule)) return {{}, L"SCHEDULE_DAYS is not a number of days from 1 to 365: " + days};
    PropertyLine made{L"/Schedule:\"" + name + L"\" /" + action + L" /At:" + time + L" /EveryDays:" + days, {}};
    const TaskVerb verb = ParseTaskVerb(made.line);
    if (verb.kind != TaskVerb::Schedule || verb.name != name || verb.action.line != parsed.line ||
        !verb.programPath.empty() || !verb.computer.empty()) {
        return {{}, L"the line " + made.line + L" does not say the properties alone: " + verb.error};
    }
    return made;
}

std::wstring UnquotedPath(const std::wstring& path) {
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') return path.substr(1, path.size() - 2);
    return path;
}

std::wstring FolderOfProgram(const std::wstring& path) {
    const std::wstring unquoted = UnquotedPath(path);
    const std::size_t slash = unquoted.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return {};
    // A drive's root keeps its backslash: "D:" alone is that drive's current folder.
    if (slash == 2 && unquoted[1] == L':') return unquoted.substr(0, 3);
    return unquoted.substr(0, slash);
}

bool NamesThisComputer(const std::wstring& computer, const std::vector<std::wstring>& ownNames) {
    if (computer.empty()) return true;
    const std::wstring name = computer.compare(0, 2, L"\\\\") == 0 ? computer.substr(2) : computer;
    for (const wchar_t* local : {L"localhost", L".", L"127.0.0.1", L"::1"}) {
        if (SameWord(name, local)) return true;
    }
    for (const std::wstring& own : ownNames) {
        if (!own.empty() && SameWord(name, own)) return true;
    }
    return false;
}
