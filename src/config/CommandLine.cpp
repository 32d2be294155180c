#include "config/CommandLine.h"

#include "startup/ActionValues.h"

namespace {

wchar_t FoldAscii(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

std::wstring Widen(std::string_view ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

}  // namespace

bool ContainsNoCase(std::wstring_view text, std::wstring_view word) {
    if (word.empty()) return true;
    if (word.size() > text.size()) return false;
    for (std::size_t start = 0; start + word.size() <= text.size(); ++start) {
        std::size_t i = 0;
        while (i < word.size() && FoldAscii(text[start + i]) == FoldAscii(word[i])) ++i;
        if (i == word.size()) return true;
    }
    return false;
}

std::wstring BuildCommandLine(const CommandLineSelection& selection) {
    switch (selection.action) {
    case ScheduledAction::Bounce: {
        std::wstring line = L"/Bounce";
        for (std::size_t i = 0; i < kBounceServices.size(); ++i) {
            if (selection.checkState[i] == 1) line += L":" + Widen(kBounceServices[i]);
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

std::wstring_view ArgumentsOf(std::wstring_view full) {
    std::size_t i = 0;
    // argv[0] ends at the first blank outside quotes; backslashes are literal.
    bool quoted = false;
    for (; i < full.size(); ++i) {
        const wchar_t c = full[i];
        if (c == L'"') quoted = !quoted;
        else if (!quoted && (c == L' ' || c == L'\t')) break;
    }
    while (i < full.size() && (full[i] == L' ' || full[i] == L'\t')) ++i;
    return full.substr(i);
}

bool NamesRestartWindow(std::wstring_view arguments) {
    return ContainsNoCase(arguments, L"restart");
}
