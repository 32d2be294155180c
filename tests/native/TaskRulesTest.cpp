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
