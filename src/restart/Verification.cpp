#include "restart/Verification.h"

#include <algorithm>

#include "core/ActionValues.h"
#include "localize/RestartResCONST.h"
#include "restart/TickStep.h"

namespace {

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

std::string Lower(std::string s) {
    for (char& c : s) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return s;
}

}  // namespace

std::string ServiceOfCommand(const std::string& command) {
    const std::string lower = Lower(command);
    for (const char* verb : {"net stop ", "net start "}) {
        const std::string v = verb;
        if (lower.rfind(v, 0) == 0) {
            const std::string rest = command.substr(v.size());
            return rest.substr(0, rest.find(' '));
        }
    }
    return {};
}

void Verification::Prepare(const std::vector<std::string>& touched) {
    TickStep step(host_);
    StoredNumber stored;
    step([&] { stored = host_.VerifySecondsSetting(); });
    seconds_ = kDefaultVerifySeconds;
    if (stored.present && stored.isNumber && stored.value <= static_cast<std::uint32_t>(kMaxVerifySeconds)) {
        seconds_ = static_cast<std::int32_t>(stored.value);
    } else if (stored.present) {
        step([&] {
            host_.Log(" VerifySeconds is not a number of seconds from 0 to 3600; the check waits the default " +
                      std::to_string(kDefaultVerifySeconds) + " seconds");
        });
    }
    touched_.clear();
    runningBefore_.clear();
    if (!On()) return;
    for (const std::string& name : touched) {
        if (name.empty() || std::find(touched_.begin(), touched_.end(), name) != touched_.end()) continue;
        touched_.push_back(name);
        runningBefore_.push_back(host_.QueryService(name).kind == ServiceState::Running);
    }
}

void Verification::Check(const std::vector<std::string>& started, bool always) {
    if ((!On() && !always) || started.empty()) return;
    TickStep step(host_);
    // The action is done: a Cancel now could only hide the outcome.
    TheRunOutcome.verifying = true;
    step([&] { host_.SetStatus(host_.Text(IDS_VERIFYING)); });
    step([&] { host_.RepaintStatus(); });
    const std::int64_t begin = host_.NowMs();
    std::vector<ServiceState> states;
    for (;;) {
        states.clear();
        for (const std::string& name : started) states.push_back(host_.QueryService(name));
        const bool all = std::all_of(states.begin(), states.end(),
                                     [](const ServiceState& s) { return s.kind == ServiceState::Running; });
        if (all || host_.NowMs() - begin >= std::int64_t{seconds_} * 1000) break;
        step([&] { host_.Pause(1000); });
    }
    const std::int64_t took = (host_.NowMs() - begin + 500) / 1000;
    std::vector<std::string> down;
    for (std::size_t i = 0; i < started.size(); ++i) {
        if (states[i].kind == ServiceState::Running) continue;
        down.push_back(started[i]);
        step([&] { host_.Log("(error) " + started[i] + " is not running: " + states[i].text); });
    }
    if (down.empty()) {
        step([&] {
            host_.Log(" Verified: all " + std::to_string(started.size()) + " services started are running, after " +
                      std::to_string(took) + " s");
        });
        step([&] { host_.InfoEvent(11); });
    } else {
        step([&] { ReportFailure(host_, "Not running after the restart: " + Joined(down)); });
    }
    std::vector<std::string> gone;
    for (std::size_t i = 0; i < touched_.size(); ++i) {
        if (!runningBefore_[i] || std::find(started.begin(), started.end(), touched_[i]) != started.end()) continue;
        if (host_.QueryService(touched_[i]).kind != ServiceState::Running) gone.push_back(touched_[i]);
    }
    if (!gone.empty()) {
        step([&] { host_.Log("    Running before the shut-down, not started by name, not running now: " + Joined(gone)); });
    }
    TheRunOutcome.verifying = false;
}
