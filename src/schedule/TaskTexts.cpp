#include "schedule/TaskTexts.h"

#include <cwchar>

#include "localize/RestartResCONST.h"
#include "localize/modLocalize.h"
#include "hostenv/FolderAccess.h"
#include "runtime/App.h"
#include "runtime/Text.h"
#include "runtime/Dialogs.h"

namespace {

std::wstring TimeText(const SYSTEMTIME& t, DWORD flags, const wchar_t* format = nullptr) {
    wchar_t buffer[128] = {};
    ::GetTimeFormatW(LOCALE_USER_DEFAULT, flags, &t, format, buffer, 128);
    return buffer;
}

std::wstring DateText(const SYSTEMTIME& t, DWORD flags, const wchar_t* format = nullptr) {
    wchar_t buffer[128] = {};
    ::GetDateFormatW(LOCALE_USER_DEFAULT, flags, &t, format, buffer, 128);
    return buffer;
}

}  // namespace

std::wstring Replace(std::wstring text, const std::wstring& mark, const std::wstring& value) {
    // On past the value: a value that holds the mark is not filled in again.
    for (std::size_t at = 0; (at = text.find(mark, at)) != std::wstring::npos; at += value.size()) {
        text.replace(at, mark.size(), value);
    }
    return text;
}

bool ProgramFolderSafeOrSay(const std::wstring& folder) {
    const std::wstring writers = FolderWritersBesidesAdmins(folder);
    if (writers.empty()) return true;
    rt::MsgBox(Replace(Replace(mymyLoadString(IDS_FOLDER_UNSAFE), L"%1", folder), L"%2", writers),
               MB_OK | MB_ICONEXCLAMATION);
    return false;
}

std::wstring TriggerText(const TriggerInfo& trigger) {
    if (!trigger.systemText.empty()) return trigger.systemText;
    const DailySchedule& s = trigger.schedule;
    const SYSTEMTIME start{static_cast<WORD>(s.year), static_cast<WORD>(s.month), 0, static_cast<WORD>(s.day),
                           static_cast<WORD>(s.hour), static_cast<WORD>(s.minute), 0, 0};
    const bool daily = trigger.kind == TriggerKind::Daily;
    std::wstring text = mymyLoadString(!daily ? IDS_TRIGGER_OTHER
                                       : s.everyDays == 1 ? IDS_TRIGGER_DAILY
                                                          : IDS_TRIGGER_EVERY_N_DAYS);
    text = Replace(text, L"%1", TimeText(start, TIME_NOSECONDS));
    text = Replace(text, L"%2", DateText(start, DATE_SHORTDATE));
    return Replace(text, L"%3", std::to_wstring(daily ? s.everyDays : 0));
}

std::wstring TriggerLines(const std::vector<TriggerInfo>& triggers) {
    std::wstring lines;
    for (const TriggerInfo& trigger : triggers) lines += TriggerText(trigger) + L"\r\n";
    return lines;
}

std::wstring TaskDateTimeText(const SYSTEMTIME& when) {
    // A date the scheduler does not have (a task that never ran) is shown as
    // the zero date of the date type the display comes from.
    SYSTEMTIME t = when;
    if (t.wYear == 0 && t.wMonth == 0 && t.wDay == 0) t = SYSTEMTIME{1899, 12, 6, 30, 0, 0, 0, 0};
    return TimeText(t, 0, L"HH':'mm':'ss") + L" " + DateText(t, 0, L"dd'-'MMM'-'yyyy");
}

std::wstring LastResultText(const TaskResult& result) {
    return LastResultText(result, [](int id) { return mymyLoadString(id); },
                          [](std::uint32_t code) { return rt::SystemErrorText(code); });
}
