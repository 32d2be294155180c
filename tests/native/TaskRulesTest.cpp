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

}  // namespace
