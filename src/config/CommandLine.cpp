#include "config/CommandLine.h"

#include "core/ActionValues.h"

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

void ParseCommandLine(std::wstring_view line) {
    BounceServiceNames.assign(2, std::string());
    if (ContainsNoCase(line, L"/Reboot")) {
        RestartAction = ActionReboot;
    } else if (ContainsNoCase(line, L"/Restart")) {
        RestartAction = ActionRestartOnly;
    } else if (ContainsNoCase(line, L"/Bounce")) {
        RestartAction = ActionBounce;
        // Element 0 stays empty; names follow in canonical order, each once,
        // always the fixed spelling rather than the line's.
        BounceServiceNames.resize(1);
        for (std::string_view service : kBounceServices) {
            if (ContainsNoCase(line, L":" + Widen(service))) BounceServiceNames.emplace_back(service);
        }
    } else {
        RestartAction = ActionNone;
    }
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
