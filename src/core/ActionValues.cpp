#include "core/ActionValues.h"

#include "core/Arguments.h"

#include <algorithm>

std::int16_t RestartAction = ActionNone;
std::vector<std::string> BounceServiceNames;
RunOutcome TheRunOutcome;

std::vector<std::string> BounceServices(const std::vector<std::string>& bounceServiceNames) {
    std::vector<std::string> services;
    for (std::size_t i = 1; i < bounceServiceNames.size(); ++i) {
        if (!bounceServiceNames[i].empty()) services.push_back(bounceServiceNames[i]);
    }
    return services;
}

namespace {

bool SameWord(std::wstring_view word, std::wstring_view expected) {
    return word.size() == expected.size() && ContainsNoCase(word, expected);
}

std::wstring Widen(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

}  // namespace

ActionRequest ParseActionWord(std::wstring_view word) {
    ActionRequest request;
    if (SameWord(word, L"/Restart")) {
        request.action = ActionRestartOnly;
    } else if (SameWord(word, L"/Reboot")) {
        request.action = ActionReboot;
    } else if (word.size() >= 7 && SameWord(word.substr(0, 7), L"/Bounce")) {
        request.action = ActionBounce;
        std::vector<bool> named(kBounceServices.size(), false);
        std::wstring_view rest = word.substr(7);
        while (!rest.empty()) {
            if (rest[0] != L':') return request;
            const std::size_t end = std::min(rest.find(L':', 1), rest.size());
            const std::wstring_view item = rest.substr(1, end - 1);
            std::size_t i = 0;
            while (i < kBounceServices.size() && !SameWord(item, Widen(kBounceServices[i]))) ++i;
            if (i == kBounceServices.size() || named[i]) return request;
            named[i] = true;
            rest = rest.substr(end);
        }
        for (std::size_t i = 0; i < named.size(); ++i) {
            if (named[i]) request.services.emplace_back(kBounceServices[i]);
        }
    } else {
        return request;
    }
    request.valid = true;
    request.line = ActionLineOf(request);
    return request;
}

std::string ActionLineOf(const ActionRequest& request) {
    if (request.action == ActionReboot) return "/Reboot";
    if (request.action != ActionBounce) return "/Restart";
    std::string line = "/Bounce";
    for (const std::string& name : request.services) line += ":" + name;
    return line;
}
