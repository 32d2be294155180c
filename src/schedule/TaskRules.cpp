#include "schedule/TaskRules.h"

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <string_view>
#include <vector>

#include "localize/RestartResCONST.h"

namespace {

// Digits only, at most maxDigits of them; -1 for anything else.
int Number(const std::wstring& text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) return -1;
    int n = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return -1;
        n = n * 10 + (c - L'0');
    }
    return n;
}

// The parts between the separators; none when their count differs.
std::vector<std::wstring> Parts(const std::wstring& text, wchar_t separator, std::size_t count) {
    std::vector<std::wstring> parts(1);
    for (wchar_t c : text) {
        if (c == separator) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts.size() == count ? parts : std::vector<std::wstring>{};
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

std::wstring Padded(int n, std::size_t width) {
    std::wstring s = std::to_wstring(n);
    return std::wstring(width > s.size() ? width - s.size() : 0, L'0') + s;
}

// Windows account names ignore letter case.
bool SameAccount(const std::wstring& a, const std::wstring& b) {
    const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](wchar_t x, wchar_t y) { return lower(x) == lower(y); });
}

}  // namespace

bool IsReservedTaskName(const std::wstring& name) {
    const std::string_view reserved = kBootCheckTask;
    return SameAccount(ValidTaskName(name), std::wstring(reserved.begin(), reserved.end()));
}

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

std::wstring ValidTaskName(const std::wstring& name) {
    const std::size_t first = name.find_first_not_of(L' ');
    if (first == std::wstring::npos) return {};
    const std::wstring trimmed = name.substr(first, name.find_last_not_of(L' ') - first + 1);
    if (trimmed.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos) return {};
    // Stored as a file: no control character, no trailing dot (Windows drops
    // it), and no device name (CON, NUL, COM1 ...), which no file can have,
    // with any extension.
    if (std::any_of(trimmed.begin(), trimmed.end(), [](wchar_t c) { return c < 0x20 || c == 0x7f; })) return {};
    if (trimmed.back() == L'.') return {};
    std::wstring base = trimmed.substr(0, trimmed.find(L'.'));
    base.erase(base.find_last_not_of(L' ') + 1);
    for (wchar_t& c : base) c = c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
    static constexpr const wchar_t* kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    const bool numbered = base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0) &&
                          base[3] >= L'1' && base[3] <= L'9';
    if (numbered || std::find(std::begin(kDevices), std::end(kDevices), base) != std::end(kDevices)) return {};
    // Stored as "%windir%\\Tasks\\<name>.job": the path must stay within
    // MAX_PATH (some schedulers fail badly beyond it).
    if (trimmed.size() > kMaxTaskNameLength) return {};
    return trimmed;
}

bool ParseTaskTime(const std::wstring& text, DailySchedule& into) {
    const std::vector<std::wstring> parts = Parts(text, L':', 2);
    if (parts.empty()) return false;
    const int h = Number(parts[0], 2), m = Number(parts[1], 2);
    if (h < 0 || h > 23 || m < 0 || m > 59) return false;
    into.hour = h;
    into.minute = m;
    return true;
}

bool ParseTaskDate(const std::wstring& text, DailySchedule& into) {
    const std::vector<std::wstring> parts = Parts(text, L'-', 3);
    if (parts.empty()) return false;
    const int y = Number(parts[0], 4), m = Number(parts[1], 2), d = Number(parts[2], 2);
    if (y < 1601 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return false;
    into.year = y;
    into.month = m;
    into.day = d;
    return true;
}

bool ParseDaysInterval(const std::wstring& text, DailySchedule& into) {
    const int days = Number(text, 3);
    if (days < 1 || days > kMaxDaysInterval) return false;
    into.everyDays = days;
    return true;
}

std::wstring TaskTimeField(const DailySchedule& s) { return Padded(s.hour, 2) + L":" + Padded(s.minute, 2); }

std::wstring TaskDateField(const DailySchedule& s) {
    return Padded(s.year, 4) + L"-" + Padded(s.month, 2) + L"-" + Padded(s.day, 2);
}

namespace {

std::wstring Hex(std::uint32_t code) {
    wchar_t hex[16]{};
    std::swprintf(hex, 16, L"0x%08X", static_cast<unsigned>(code));
    return hex;
}

std::wstring Filled(std::wstring text, const std::wstring& mark, const std::wstring& value) {
    const std::size_t at = text.find(mark);
    return at == std::wstring::npos ? text : text.replace(at, mark.size(), value);
}

}  // namespace

std::wstring LastResultText(const TaskResult& result, const std::function<std::wstring(int)>& text,
                            const std::function<std::wstring(std::uint32_t)>& systemText) {
    if (!result.Ran()) return text(IDS_RESULT_NEVER);
    const auto hr = static_cast<std::uint32_t>(result.hr);
    if (result.hr < 0) {
        std::wstring why = systemText(hr);
        while (!why.empty() && (why.back() == L'\n' || why.back() == L'\r' || why.back() == L' ')) why.pop_back();
        return Filled(Filled(text(IDS_RESULT_NOT_STARTED), L"%1", why), L"%2", Hex(hr));
    }
    // The program's own exit codes; any other is Windows' or the task's, shown as it is.
    static constexpr int kMeaning[] = {IDS_RESULT_0, IDS_RESULT_1, IDS_RESULT_2};
    if (result.exitCode < std::size(kMeaning)) {
        return Filled(text(kMeaning[result.exitCode]), L"%1", std::to_wstring(result.exitCode));
    }
    return Hex(result.exitCode);
}
