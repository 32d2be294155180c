// Task names and the property dialog's fields, as typed: any text.
#include <cstdlib>

#include "FuzzInput.h"
#include "schedule/TaskRules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = WideFrom(data, size);
    const std::wstring name = ValidTaskName(text);
    // A stored name is one Task Scheduler takes, and stays as it is.
    if (!name.empty() && (name.size() > kMaxTaskNameLength || name.front() == L' ' || name.back() == L' ' ||
                          name.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos || ValidTaskName(name) != name)) {
        std::abort();
    }
    // Whatever parses reads back as a field that parses to the same.
    DailySchedule s, again;
    const bool time = ParseTaskTime(text, s), date = ParseTaskDate(text, s);
    ParseDaysInterval(text, s);
    if (time && (!ParseTaskTime(TaskTimeField(s), again) || again.hour != s.hour || again.minute != s.minute)) std::abort();
    if (date && (!ParseTaskDate(TaskDateField(s), again) || again.year != s.year || again.day != s.day)) std::abort();
    return 0;
}
