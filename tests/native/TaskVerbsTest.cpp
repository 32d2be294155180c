// The scheduling verbs' command line: what each line asks for, and the one
// clear reason for every line that is refused before anything is made.
#include <gtest/gtest.h>

#include "config/CommandLine.h"
#include "schedule/TaskVerbs.h"

namespace {

struct VerbRow {
    const wchar_t* line;
    TaskVerb::Kind kind;  // None: refused
    const wchar_t* name;  // or the start of the reason
    const char* action;
    DailySchedule schedule;
};

std::string Shown(const wchar_t* s) { return std::string(s, s + std::wcslen(s)); }

TEST(TaskVerbs, ParsesEachVerbAndRefusesEveryBadLineWithItsReason) {
    using K = TaskVerb::Kind;
    const VerbRow rows[] = {
        {L"/Schedule:\"Nightly restart\" /Reboot /At:03:15", K::Schedule, L"Nightly restart", "/Reboot", {0, 0, 0, 3, 15, 1}},
        {L"/schedule:Night /bounce:pmsyncsvr:PmNotifySvr /AT:23:59 /EveryDays:7 /From:2028-02-29", K::Schedule, L"Night",
         "/Bounce:PmNotifySvr:PmSyncSvr", {2028, 2, 29, 23, 59, 7}},
        {L"\"/Schedule:  Spaced  \" /Restart /At:00:00 /Computer:\\\\VOICE01 /ProgramPath:D:\\Orvane\\OrvaneScheduledRestart.exe",
         K::Schedule, L"Spaced", "/Restart", {0, 0, 0, 0, 0, 1}},
        {L"/Unschedule:\"Nightly restart\"", K::Unschedule, L"Nightly restart", "", {}},
        {L"/Unschedule:* /Computer:VOICE01", K::Unschedule, L"", "", {}},
        {L"/Tasks", K::Tasks, L"", "", {}},
        {L"/TASKS /Computer:voice01", K::Tasks, L"", "", {}},
        // Bad input: one line, nothing made.
        {L"/Schedule:N /Reboot /At:24:00", K::None, L"not a time", "", {}},
        {L"/Schedule:N /Reboot /At:3:5x", K::None, L"not a time", "", {}},
        {L"/Schedule:N /Reboot /At:03:15 /From:2027-02-29", K::None, L"not a calendar day", "", {}},
        {L"/Schedule:N /Reboot /At:03:15 /EveryDays:0", K::None, L"not a number of days", "", {}},
        {L"/Schedule:N /Reboot /At:03:15 /EveryDays:366", K::None, L"not a number of days", "", {}},
        {L"/Schedule: /Reboot /At:03:15", K::None, L"not a task name", "", {}},
        {L"/Schedule:\"a|b\" /Reboot /At:03:15", K::None, L"not a task name", "", {}},
        {L"/Schedule:CON /Reboot /At:03:15", K::None, L"not a task name", "", {}},
        {L"/Schedule:N /Restart:now /At:03:15", K::None, L"not an argument", "", {}},
        {L"/Schedule:N /Bounce:Bogus /At:03:15", K::None, L"not an argument", "", {}},
        {L"/Schedule:N /Reboot /Restart /At:03:15", K::None, L"one action", "", {}},
        {L"/Schedule:N /Reboot /At:03:15 /At:04:15", K::None, L"given twice", "", {}},
        {L"/Schedule:N /Schedule:M /Reboot /At:03:15", K::None, L"only one of", "", {}},
        {L"/Schedule:N /Tasks", K::None, L"only one of", "", {}},
        {L"/Schedule:N /At:03:15", K::None, L"/Schedule needs an action", "", {}},
        {L"/Schedule:N /Reboot", K::None, L"/Schedule needs a time", "", {}},
        {L"/Unschedule:N /Reboot", K::None, L"an action, /At", "", {}},
        {L"/Tasks /Computer:", K::None, L"not a computer name", "", {}},
        {L"/Schedule:N /Reboot /At:03:15 /ProgramPath:relative\\x.exe", K::None, L"not a full path", "", {}},
        {L"/Schedule:N /Reboot /At:03:15 /Preview", K::None, L"not an argument", "", {}},
        {L"/Tasks /EveryDays:2", K::None, L"an action, /At", "", {}},
        {L"/Schedule:N /Reboot /At:03:15 /ProgramPath:C:\\Tools\\evil.exe", K::None, L"not a full path", "", {}},
        {L"/Schedule:N /Reboot /At:03:15 /ProgramPath:D:\\orvanescheduledrestart.EXE", K::Schedule, L"N", "/Reboot",
         {0, 0, 0, 3, 15, 1}},
        {L"/Schedule:\"orvanescheduledrestart Verification\" /Reboot /At:03:15", K::None, L"reserved", "", {}},
    };
    for (const VerbRow& row : rows) {
        const TaskVerb verb = ParseTaskVerb(row.line);
        EXPECT_EQ(verb.kind, row.kind) << Shown(row.line);
        if (row.kind == TaskVerb::None) {
            EXPECT_EQ(verb.error.rfind(row.name, 0), 0u) << Shown(row.line) << " -> " << Shown(verb.error.c_str());
            continue;
        }
        EXPECT_TRUE(verb.error.empty()) << Shown(verb.error.c_str());
        EXPECT_EQ(verb.name, row.name) << Shown(row.line);
        EXPECT_EQ(verb.action.line, row.action) << Shown(row.line);
        if (row.kind == TaskVerb::Schedule) EXPECT_EQ(verb.schedule, row.schedule) << Shown(row.line);
    }
    EXPECT_TRUE(ParseTaskVerb(L"/Unschedule:*").all);
}

// The installer's properties are values: none may add an argument.
TEST(TaskVerbs, InstallerPropertiesAreValuesNeverArguments) {
    const struct {
        const wchar_t *name, *action, *time, *days;
        const wchar_t* made;  // the line, or the start of the reason
    } rows[] = {
        {L"Scheduled Orvane Restart", L"Reboot", L"03:15", L"1",
         L"/Schedule:\"Scheduled Orvane Restart\" /Reboot /At:03:15 /EveryDays:1"},
        {L"N", L"Bounce:PmSyncSvr:PmNotifySvr", L"23:59", L"365", L"/Schedule:\"N\" /Bounce:PmSyncSvr:PmNotifySvr /At:23:59 /EveryDays:365"},
        {L"Nightly\" /ProgramPath:\"C:\\Tools\\evil.exe", L"Reboot", L"03:15", L"1", L"SCHEDULE_NAME"},
        {L" N", L"Reboot", L"03:15", L"1", L"SCHEDULE_NAME"},
        {L"OrvaneScheduledRestart verification", L"Reboot", L"03:15", L"1", L"SCHEDULE_NAME is reserved"},
        {L"N", L"Reboot /ProgramPath:C:\\evil.exe", L"03:15", L"1", L"SCHEDULE_ACTION"},
        {L"N", L"Reboot\u3000/Computer:X", L"03:15", L"1", L"SCHEDULE_ACTION"},
        {L"N", L"Tasks", L"03:15", L"1", L"SCHEDULE_ACTION"},
        {L"N", L"Reboot", L"03:15 /ProgramPath:C:\\evil.exe", L"1", L"SCHEDULE_TIME"},
        {L"N", L"Reboot", L"03:15", L"1 /Computer:X", L"SCHEDULE_DAYS"},
    };
    for (const auto& row : rows) {
        const PropertyLine made = ScheduleLineOfProperties(row.name, row.action, row.time, row.days);
        const std::wstring& got = made.error.empty() ? made.line : made.error;
        EXPECT_EQ(got.rfind(row.made, 0), 0u) << Shown(got.c_str());
        EXPECT_NE(made.error.empty(), made.line.empty());
    }
}

// This computer by any name is this computer, so its folder rule holds; a
// program's folder is where it lies, quotes and all.
TEST(TaskVerbs, ThisComputerByAnyNameAndTheProgramsFolder) {
    const std::vector<std::wstring> own = {L"VOICE01", L"voice01", L"voice01.corp.example"};
    for (const wchar_t* name : {L"", L"localhost", L"\\\\LOCALHOST", L".", L"127.0.0.1", L"::1", L"\\\\::1", L"voice01",
                                L"\\\\Voice01", L"VOICE01.corp.example"}) {
        EXPECT_TRUE(NamesThisComputer(name, own)) << Shown(name);
    }
    for (const wchar_t* name : {L"VOICE02", L"voice01.corp", L"127.0.0.2", L"\\\\"}) {
        EXPECT_FALSE(NamesThisComputer(name, own)) << Shown(name);
    }
    const std::pair<const wchar_t*, const wchar_t*> folders[] = {
        {L"D:\\OrvaneScheduledRestart.exe", L"D:\\"},
        {L"\"C:\\Program Files\\Orvane Restart\\OrvaneScheduledRestart.exe\"", L"C:\\Program Files\\Orvane Restart"},
        {L"\\\\server\\share\\OrvaneScheduledRestart.exe", L"\\\\server\\share"},
        {L"OrvaneScheduledRestart.exe", L""},
    };
    for (const auto& [path, folder] : folders) EXPECT_EQ(FolderOfProgram(path), folder) << Shown(path);
    // Arguments part as the C runtime parts them, and at Unicode blanks too.
    EXPECT_EQ(SplitArguments(L" a \"b c\"d  \"\" e\u00a0f\u3000\"g\u3000h\""),
              (std::vector<std::wstring>{L"a", L"b cd", L"", L"e", L"f", L"g\u3000h"}));
}

}  // namespace
