#include "verify/Verification.h"

#include <algorithm>

#include "core/ActionValues.h"
#include "localize/RestartResCONST.h"
#include "host/TickStep.h"

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

namespace {
bool InBounds(const StoredNumber& stored, const BoundRule& rule) {
    return stored.isNumber && stored.value >= static_cast<std::uint32_t>(rule.min) &&
           stored.value <= static_cast<std::uint32_t>(rule.max);
}
}  // namespace

std::int32_t Bounded(const StoredNumber& stored, const BoundRule& rule) {
    return stored.present && InBounds(stored, rule) ? static_cast<std::int32_t>(stored.value) : rule.fallback;
}

std::int32_t BoundOrDefault(RunLog& host, const StoredNumber& stored, const BoundRule& rule) {
    if (!stored.present || InBounds(stored, rule)) return Bounded(stored, rule);
    TickStep step(host);
    step([&] {
        host.Log(std::string(" ") + rule.value + " is not a number of " + rule.unit + " from " + std::to_string(rule.min) +
                 " to " + std::to_string(rule.max) + "; the check waits the default " + std::to_string(rule.fallback) +
                 " " + rule.unit);
    });
    return rule.fallback;
}

void Verification::Prepare(const std::vector<std::string>& touched) {
    TickStep step(host_);
    StoredNumber stored;
    step([&] { stored = host_.VerifySecondsSetting(); });
    seconds_ = BoundOrDefault(host_, stored, kVerifySecondsRule);
    touched_.clear();
    runningBefore_.clear();
    if (!On()) return;
    for (const std::string& name : touched) {
        if (name.empty() || std::find(touched_.begin(), touched_.end(), name) != touched_.end()) continue;
        touched_.push_back(name);
        runningBefore_.push_back(host_.QueryService(name).kind == ServiceState::Running);
    }
}

void Verification::Check(const std::vector<std::string>& named, bool always) {
    if ((!On() && !always) || named.empty()) return;
    TickStep step(host_);
    // An optional service this server lacks: nothing to wait for.
    std::vector<std::string> started, missing;
    for (const std::string& name : named) {
        (host_.QueryService(name).kind == ServiceState::NotInstalled ? missing : started).push_back(name);
    }
    if (!missing.empty()) step([&] { host_.Log("    not installed: " + Joined(missing)); });
    // The action is done: a Cancel now could only hide the outcome.
    TheRunOutcome.verifying = true;
    step([&] { host_.SetStatus(host_.Text(IDS_VERIFYING)); });
    step([&] { host_.RepaintStatus(); });
    host_.CheckBegins(seconds_, started);
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
