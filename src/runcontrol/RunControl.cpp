#include "runcontrol/RunControl.h"

#include <array>

namespace {

constexpr std::array<std::string_view, 4> kPhaseNames = {"counting", "reboot-counting", "shutting-down", "cancelled"};

// "key value" lines; a value runs to the end of its line.
std::optional<std::string> Field(std::string_view text, std::string_view key) {
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() > key.size() && line.substr(0, key.size()) == key && line[key.size()] == ' ') {
            return std::string(line.substr(key.size() + 1));
        }
        at = end + 1;
    }
    return std::nullopt;
}

}  // namespace

SkipVerdict SkipVerdictOf(const SkipRecord& record, std::int64_t nowUtc) {
    switch (record.state) {
    case SkipRecord::None: return SkipVerdict::None;
    case SkipRecord::Unreadable: return SkipVerdict::Unreadable;
    case SkipRecord::Set: break;
    }
    // Only an administrator may silence a night.
    if (!record.keyWriters.empty()) return SkipVerdict::Untrusted;
    if (record.at > nowUtc + kSkipClockSlackSeconds) return SkipVerdict::FromTheFuture;
    if (nowUtc - record.at >= kSkipHoldsSeconds) return SkipVerdict::Expired;
    return SkipVerdict::SkipThisRun;
}

std::string RunStateText(const RunState& state) {
    std::string text = "phase " + std::string(kPhaseNames[static_cast<std::size_t>(state.phase)]) + "\r\nrun " +
                       state.run + "\r\n";
    if (!state.by.empty()) text += "by " + state.by + "\r\n";
    return text;
}

std::optional<RunState> ParseRunState(std::string_view text) {
    const std::optional<std::string> phase = Field(text, "phase"), run = Field(text, "run");
    if (!phase || !run || run->empty()) return std::nullopt;
    RunState state;
    std::size_t i = 0;
    while (i < kPhaseNames.size() && kPhaseNames[i] != *phase) ++i;
    if (i == kPhaseNames.size()) return std::nullopt;
    state.phase = static_cast<RunPhase>(i);
    state.run = *run;
    state.by = Field(text, "by").value_or(std::string());
    return state;
}

std::string CancelRequestText(const CancelRequest& request) {
    return "run " + request.run + "\r\nby " + request.by + "\r\n";
}

std::optional<CancelRequest> ParseCancelRequest(std::string_view text) {
    const std::optional<std::string> run = Field(text, "run"), by = Field(text, "by");
    if (!run || run->empty() || !by) return std::nullopt;
    return CancelRequest{*run, *by};
}

std::string CancelRequestedBy(std::string_view requestText, const std::string& run) {
    const std::optional<CancelRequest> request = ParseCancelRequest(requestText);
    if (!request || run.empty() || request->run != run) return {};
    return request->by.empty() ? std::string("an administrator") : request->by;
}

int ExitCodeOf(CancelAnswer answer) {
    return answer == CancelAnswer::Cancelled || answer == CancelAnswer::CancelledStopped ? 0 : 2;
}

std::optional<CancelAnswer> BeforeRequest(bool lockHeld, const std::optional<RunState>& state) {
    // The state of a run that died stays behind: only the lock says a run is there.
    if (!lockHeld || !state) return CancelAnswer::NoRun;
    switch (state->phase) {
    case RunPhase::Counting:
    case RunPhase::RebootCounting: return std::nullopt;
    case RunPhase::ShuttingDown: return CancelAnswer::TooLate;
    case RunPhase::Cancelled: return CancelAnswer::NoRun;  // already stopped, and on its way out
    }
    return CancelAnswer::NoRun;
}

std::optional<CancelAnswer> AfterRequest(const std::string& run, RunPhase phaseAsked, bool lockHeld,
                                         const std::optional<RunState>& state) {
    const bool same = state && state->run == run;
    if (same && state->phase == RunPhase::Cancelled) {
        return phaseAsked == RunPhase::RebootCounting ? CancelAnswer::CancelledStopped : CancelAnswer::Cancelled;
    }
    if (same && state->phase == RunPhase::ShuttingDown) return CancelAnswer::TooLate;
    // The run ended, or another one holds the lock now, without taking it.
    if (!lockHeld || !same) return CancelAnswer::NoRun;
    return std::nullopt;
}

std::string CancelAnswerText(CancelAnswer answer, const std::string& reason) {
    switch (answer) {
    case CancelAnswer::NoRun: return "No restart run on this server is counting down. Nothing was cancelled.";
    case CancelAnswer::Refused:
        return "The cancel was refused: " + reason + ". Only an administrator can cancel a run; the run goes on.";
    case CancelAnswer::TooLate:
        return "Too late: the run's countdown is over and its action has begun. The run goes on, so that the "
               "product is brought back.";
    case CancelAnswer::NoAnswer:
        return "The run did not take the cancel in time. The request was withdrawn; the run goes on.";
    case CancelAnswer::Cancelled: return "The restart run was cancelled.";
    case CancelAnswer::CancelledStopped:
        return "The restart run was cancelled during its countdown to the reboot. The product was already stopped "
               "and stays stopped; to start it again: OrvaneScheduledRestart.exe /Restart";
    }
    return {};
}

std::vector<Session> SessionsToTell(const std::vector<SessionSeen>& all, std::uint32_t own) {
    std::vector<Session> told;
    for (const SessionSeen& s : all) {
        if (s.active && s.id != own) told.push_back({s.id, s.user});
    }
    return told;
}
