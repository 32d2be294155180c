#include "config/CommandLine.h"

#include "core/ActionValues.h"

#include <algorithm>
#include <array>

namespace {

std::wstring Widen(std::string_view ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

}  // namespace

std::wstring BuildCommandLine(const CommandLineSelection& selection) {
    switch (selection.action) {
    case ScheduledAction::Bounce: {
        std::wstring line = L"/Bounce";
        for (std::size_t i = 0; i < kBounceServices.size(); ++i) {
            if (selection.checkState[i] == CheckState::Checked) line += L":" + Widen(kBounceServices[i]);
        }
        return line;
    }
    case ScheduledAction::Reboot:
        return L"/Reboot";
    case ScheduledAction::RestartOnly:
        break;
    }
    return L"/Restart";
}

namespace {

// The action words as the scheduled line's parser reads them.
ActionRequest ParsedAction(std::wstring_view line) {
    ActionRequest parsed;
    parsed.valid = true;
    if (ContainsNoCase(line, L"/Reboot")) {
        parsed.action = ActionReboot;
    } else if (ContainsNoCase(line, L"/Restart")) {
        parsed.action = ActionRestartOnly;
    } else if (ContainsNoCase(line, L"/Bounce")) {
        parsed.action = ActionBounce;
        // Canonical order, each once, always the fixed spelling rather than the line's.
        for (std::string_view service : kBounceServices) {
            if (ContainsNoCase(line, L":" + Widen(service))) parsed.services.emplace_back(service);
        }
    } else {
        parsed.valid = false;
    }
    return parsed;
}

bool SameWord(std::wstring_view word, std::wstring_view expected) {
    return word.size() == expected.size() && ContainsNoCase(word, expected);
}

// Quotes part words too: "/Preview /Reboot" as one argument is still a preview.
bool PartsWords(wchar_t c) { return c == L'"' || IsBlank(c); }

std::vector<std::wstring_view> Words(std::wstring_view line) {
    std::vector<std::wstring_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && PartsWords(line[at])) ++at;
        std::size_t end = at;
        while (end < line.size() && !PartsWords(line[end])) ++end;
        if (end > at) words.push_back(line.substr(at, end - at));
        at = end;
    }
    return words;
}

enum Verb { kSchedule, kUnschedule, kTasks, kPreview, kCancel, kSkip, kVerbs };
constexpr std::wstring_view kVerbNames[kVerbs] = {L"Schedule", L"Unschedule", L"Tasks", L"Preview", L"Cancel", L"Skip"};

// Which verbs the line holds as a switch: "/" or "-" where a word begins,
// the verb in any case, and then ":", "=", a blank, a quote or the end.
std::array<bool, kVerbs> VerbSwitches(std::wstring_view line) {
    std::array<bool, kVerbs> named{};
    for (std::size_t at = 0; at < line.size(); ++at) {
        if ((line[at] != L'/' && line[at] != L'-') || (at > 0 && !PartsWords(line[at - 1]))) continue;
        for (int v = 0; v < kVerbs; ++v) {
            const std::wstring_view verb = kVerbNames[v];
            const std::size_t end = at + 1 + verb.size();
            if (end > line.size() || !SameWord(line.substr(at + 1, verb.size()), verb)) continue;
            if (end == line.size() || line[end] == L':' || line[end] == L'=' || PartsWords(line[end])) named[v] = true;
        }
    }
    return named;
}


}  // namespace

void ParseCommandLine(std::wstring_view line) {
    const ActionRequest parsed = ParsedAction(line);
    RestartAction = parsed.valid ? parsed.action : std::int16_t{ActionNone};
    // Element 0 stays empty; the names follow.
    BounceServiceNames.assign(2, std::string());
    if (parsed.action == ActionBounce) {
        BounceServiceNames.resize(1);
        BounceServiceNames.insert(BounceServiceNames.end(), parsed.services.begin(), parsed.services.end());
    }
}

Route RouteOf(std::wstring_view arguments) {
    const std::array<bool, kVerbs> verbs = VerbSwitches(arguments);
    if (verbs[kSchedule] || verbs[kUnschedule] || verbs[kTasks]) return Route::TaskVerb;
    if (verbs[kPreview]) return Route::Preview;
    if (verbs[kCancel]) return Route::Cancel;
    if (verbs[kSkip]) return Route::Skip;
    if (NamesRestartWindow(arguments)) return Route::RestartWindow;
    if (NamesBootCheck(arguments)) return Route::BootCheck;
    return Route::Configure;
}

ActionRequest ParsePreview(std::wstring_view arguments) {
    ActionRequest request;
    int previews = 0;
    std::vector<std::wstring_view> actions;
    for (std::wstring_view word : Words(arguments)) {
        if (SameWord(word, L"/Preview")) {
            ++previews;
        } else {
            actions.push_back(word);
        }
    }
    if (previews != 1 || actions.size() != 1) return request;
    return ParseActionWord(actions[0]);
}

ActionRequest ActionOfTaskLine(std::wstring_view line) {
    ActionRequest request;
    switch (RouteOf(line)) {
    case Route::RestartWindow:
        request.valid = true;
        request.action = ActionRestartOnly;  // the restart window restarts the product only
        break;
    case Route::Configure:
        request = ParsedAction(line);
        break;
    default:
        return request;  // a verb or the check: no action
    }
    if (request.valid) request.line = ActionLineOf(request);
    return request;
}

bool NamesAnAction(std::wstring_view arguments) {
    return NamesRestartWindow(arguments) || ContainsNoCase(arguments, L"/Reboot") ||
           ContainsNoCase(arguments, L"/Bounce");
}

bool NamesRestartWindow(std::wstring_view arguments) {
    return ContainsNoCase(arguments, L"restart");
}

bool NamesBootCheck(std::wstring_view arguments) {
    if (NamesAnAction(arguments)) return false;
    std::size_t first = 0;
    while (first < arguments.size() && IsBlank(arguments[first])) ++first;
    std::size_t end = first;
    while (end < arguments.size() && !IsBlank(arguments[end])) ++end;
    return SameWord(arguments.substr(first, end - first), L"/Verify");
}

RunControlVerb ParseRunControl(std::wstring_view arguments) {
    const std::vector<std::wstring_view> words = Words(arguments);
    if (words.size() != 1 || words[0].size() < 2 || (words[0][0] != L'/' && words[0][0] != L'-')) {
        return RunControlVerb::Invalid;
    }
    const std::wstring_view word = words[0].substr(1);
    if (SameWord(word, L"Cancel")) return RunControlVerb::Cancel;
    if (SameWord(word, L"Skip")) return RunControlVerb::Skip;
    if (SameWord(word, L"Skip:Off")) return RunControlVerb::SkipOff;
    return RunControlVerb::Invalid;
}
