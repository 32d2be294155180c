#include <gtest/gtest.h>

#include "localize/RestartResCONST.h"
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
        int note;
    } cases[] = {
        {unread, C::None, L"", false, A::Keep, IDS_PROP_KEEP_ACCOUNT},  // Wine: never reported
        {unread, C::System, L"", false, A::SetSystem, IDS_PROP_SET_SYSTEM},
        {unread, C::Named, L"CORP\\svc", false, A::SetNamed, IDS_PROP_SET_ACCOUNT},
        {system, C::System, L"", false, A::Keep, IDS_PROP_KEEP_ACCOUNT},
        {system, C::Named, L"CORP\\svc", true, A::SetNamed, IDS_PROP_SET_ACCOUNT},
        {named, C::Named, L"corp\\SVC", false, A::Keep, IDS_PROP_KEEP_ACCOUNT},  // names ignore case
        {named, C::Named, L"CORP\\svc", true, A::SetNamed, IDS_PROP_SET_ACCOUNT},  // a new password
        {named, C::Named, L"CORP\\other", false, A::SetNamed, IDS_PROP_SET_ACCOUNT},
        {named, C::System, L"CORP\\svc", false, A::SetSystem, IDS_PROP_SET_SYSTEM},
    };
    for (const auto& c : cases) {
        const A action = AccountOnOk(c.stored, c.choice, c.typed, c.password);
        EXPECT_EQ(action, c.action) << static_cast<int>(c.choice) << " " << c.stored.has_value() << c.password;
        EXPECT_EQ(AccountNoteId(action), c.note);
    }
}

}  // namespace
