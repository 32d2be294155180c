#include "config/CommandLine.h"

#include "core/ActionValues.h"

#include <algorithm>

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

std::vector<std::wstring_view> Words(std::wstring_view line) {
    std::vector<std::wstring_view> words;
    std::size_t at = 0;
    // Quotes part words too: "/Preview /Reboot" as one argument is still a preview.
    while ((at = line.find_first_not_of(L" \t\"", at)) != std::wstring_view::npos) {
        const std::size_t end = std::min(line.find_first_of(L" \t\"", at), line.size());
        words.push_back(line.substr(at, end - at));
        at = end;
    }
    return words;
}

bool SameWord(std::wstring_view word, std::wstring_view expected) {
    return word.size() == expected.size() && ContainsNoCase(word, expected);
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

bool NamesPreview(std::wstring_view arguments) {
    for (std::wstring_view word : Words(arguments)) {
        if (SameWord(word, L"/Preview")) return true;
    }
    return false;
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
    if (NamesPreview(line) || NamesBootCheck(line)) return request;
    if (NamesRestartWindow(line)) {
        request.valid = true;
        request.action = ActionRestartOnly;  // the restart window restarts the product only
    } else {
        request = ParsedAction(line);
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
    const std::size_t first = arguments.find_first_not_of(L' ');
    if (first == std::wstring_view::npos || NamesAnAction(arguments)) return false;
    const std::wstring_view word = arguments.substr(first, arguments.find(L' ', first) - first);
    return word.size() == 7 && ContainsNoCase(word, L"/Verify");
}
