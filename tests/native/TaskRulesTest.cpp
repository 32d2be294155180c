#include <gtest/gtest.h>

#include "schedule/TaskRules.h"

namespace {

// What OK does with the account: only a change the administrator made is written.
TEST(TaskRules, OkWritesTheAccountOnlyWhenTheAdministratorChangedIt) {
    using A = AccountAction;
    using C = AccountChoice;
    const std::optional<std::wstring> unread, system{L""}, named{L"CORP\\svc"};
    struct {
        std::optional<std::wstring> stored;
        C choice;
        const wchar_t* typed;
        bool password;
        A action;
    } cases[] = {
        {unread, C::None, L"", false, A::Keep},  // Wine: never reported
        {unread, C::System, L"", false, A::SetSystem},
        {unread, C::Named, L"CORP\\svc", false, A::SetNamed},
        {system, C::System, L"", false, A::Keep},
        {system, C::Named, L"CORP\\svc", true, A::SetNamed},
        {named, C::Named, L"corp\\SVC", false, A::Keep},  // names ignore case
        {named, C::Named, L"CORP\\svc", true, A::SetNamed},  // a new password
        {named, C::Named, L"CORP\\other", false, A::SetNamed},
        {named, C::System, L"CORP\\svc", false, A::SetSystem},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AccountOnOk(c.stored, c.choice, c.typed, c.password), c.action)
            << static_cast<int>(c.choice) << " " << c.stored.has_value() << c.password;
    }
}

// Names as Task Scheduler stores them: trimmed, or refused.
TEST(TaskRules, NamesAreTrimmedOrRefused) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"  Nightly restart ", L"Nightly restart"}, {L"   ", L""}, {L"", L""}, {L"a:b", L""}, {L"a\\b", L""},
        {L"a|b", L""}, {L"\u00DCbung", L"\u00DCbung"}, {std::wstring(200, L'x'), std::wstring(200, L'x')},
        {std::wstring(201, L'x'), L""}, {L" " + std::wstring(200, L'x') + L" ", std::wstring(200, L'x')},
        {L"a\tb", L""}, {L"a\x7f", L""}, {L"Nightly.", L""}, {L"CON", L""}, {L"nul.txt", L""}, {L"Com1", L""}, {L"LPT9 .x", L""},
        {L"COM0", L"COM0"}, {L"CONSOLE", L"CONSOLE"}, {L"v1.2 nightly", L"v1.2 nightly"},
    };
    for (const auto& [name, stored] : cases) EXPECT_EQ(ValidTaskName(name), stored) << name.size();
    // The boot check's own name, in any case and with blanks, is reserved.
    for (const wchar_t* name : {L"OrvaneScheduledRestart verification", L" orvanescheduledrestart VERIFICATION "}) {
        EXPECT_TRUE(IsReservedTaskName(name));
    }
    EXPECT_FALSE(IsReservedTaskName(L"OrvaneScheduledRestart verification 2"));
}

// A task's last result as Task Scheduler 1.0 reports it: GetExitCode's
// HRESULT, then the exit code. A failed start is the HRESULT itself.
TEST(TaskRules, LastResultFromTheSchedulersAnswerAndTheExitCode) {
    const auto text = [](int id) { return L"[" + std::to_wstring(id) + L"] %1 %2"; };
    const auto system = [](std::uint32_t code) { return code == 0x80070002u ? std::wstring(L"File not found.\r\n") : L"?"; };
    const struct {
        std::int32_t hr;
        std::uint32_t exitCode;
        const wchar_t* shown;
    } rows[] = {
        {kTaskHasNotRun, 0, L"[186] %1 %2"},
        {0, 0, L"[187] 0 %2"},
        {0, 1, L"[188] 1 %2"},
        {0, 2, L"[189] 2 %2"},
        {0, 3, L"0x00000003"},
        {0x00041300, 0xC000013A, L"0xC000013A"},  // another success code: the exit code stands
        {static_cast<std::int32_t>(0x80070002u), 0, L"[191] File not found. 0x80070002"},  // the program is missing
        {static_cast<std::int32_t>(0x8007052Eu), 7, L"[191] ? 0x8007052E"},  // a logon failure
    };
    for (const auto& row : rows) {
        EXPECT_EQ(LastResultText({row.hr, row.exitCode}, text, system), row.shown) << std::hex << row.hr;
    }
}

// The property dialog's fields: a parse takes the whole text or nothing.
TEST(TaskRules, FieldsParseWholeAndReadBackTheSame) {
    struct Case {
        bool (*parse)(const std::wstring&, DailySchedule&);
        const wchar_t* text;
        bool ok;
    } cases[] = {
        {ParseTaskTime, L"03:15", true},       {ParseTaskTime, L"3:5", true},         {ParseTaskTime, L"23:59", true},
        {ParseTaskTime, L"24:00", false},      {ParseTaskTime, L"12:60", false},      {ParseTaskTime, L" 3:15", false},
        {ParseTaskTime, L"3:15:00", false},    {ParseTaskTime, L"-1:15", false},      {ParseTaskTime, L"", false},
        {ParseTaskDate, L"2027-01-31", true},  {ParseTaskDate, L"2028-02-29", true},  {ParseTaskDate, L"2000-02-29", true},
        {ParseTaskDate, L"2027-02-29", false}, {ParseTaskDate, L"1900-02-29", false}, {ParseTaskDate, L"2027-04-31", false},
        {ParseTaskDate, L"1600-12-31", false}, {ParseTaskDate, L"2027-13-01", false}, {ParseTaskDate, L"2027-1-1x", false},
        {ParseDaysInterval, L"1", true},       {ParseDaysInterval, L"365", true},     {ParseDaysInterval, L"0", false},
        {ParseDaysInterval, L"366", false},    {ParseDaysInterval, L"+5", false},     {ParseDaysInterval, L"", false},
    };
    for (const Case& c : cases) {
        const DailySchedule untouched{2030, 6, 15, 7, 45, 9};
        DailySchedule s = untouched;
        EXPECT_EQ(c.parse(c.text, s), c.ok) << c.text;
        if (!c.ok) EXPECT_EQ(s, untouched) << c.text;
    }
    DailySchedule s;
    ASSERT_TRUE(ParseTaskTime(L"3:5", s));
    ASSERT_TRUE(ParseTaskDate(L"2027-1-9", s));
    EXPECT_EQ(TaskTimeField(s) + L" " + TaskDateField(s), L"03:05 2027-01-09");
}

}  // namespace
