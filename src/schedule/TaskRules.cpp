#include "schedule/TaskRules.h"

#include <algorithm>

#include "localize/RestartResCONST.h"

namespace {

// Windows account names ignore letter case.
bool SameAccount(const std::wstring& a, const std::wstring& b) {
    const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](wchar_t x, wchar_t y) { return lower(x) == lower(y); });
}

}  // namespace

AccountAction AccountOnOk(const std::optional<std::wstring>& stored, AccountChoice choice,
                          const std::wstring& typedName, bool passwordTyped) {
    switch (choice) {
    case AccountChoice::None: return AccountAction::Keep;
    case AccountChoice::System: return stored && stored->empty() ? AccountAction::Keep : AccountAction::SetSystem;
    case AccountChoice::Named:
        if (stored && !stored->empty() && SameAccount(*stored, typedName) && !passwordTyped) return AccountAction::Keep;
        return AccountAction::SetNamed;
    }
    return AccountAction::Keep;
}

int AccountNoteId(AccountAction action) {
    switch (action) {
    case AccountAction::SetSystem: return IDS_PROP_SET_SYSTEM;
    case AccountAction::SetNamed: return IDS_PROP_SET_ACCOUNT;
    case AccountAction::Keep: break;
    }
    return IDS_PROP_KEEP_ACCOUNT;
}

bool ScheduleEditable(unsigned triggerCount, bool firstIsDaily) { return triggerCount == 1 && firstIsDaily; }
