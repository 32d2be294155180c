// Process-wide values that carry the chosen action from the command-line
// parser to the restart window. No Windows header: part of the portable core.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum RestartActionCode : std::int16_t {
    ActionNone = 0,
    ActionReboot = 1,
    ActionRestartOnly = 2,
    ActionBounce = 3,
};

// 0 until a parse names an action; "/Restart" reaches the restart window
// without a parse, so the window treats 0 as restart-only.
extern std::int16_t RestartAction;

// Element 0 is always empty; the chosen services stand in 1..n in canonical
// order. Empty (no elements) until the first parse.
extern std::vector<std::string> BounceServiceNames;
// The services of such a list, from 0: elements 1 to n.
std::vector<std::string> BounceServices(const std::vector<std::string>& bounceServiceNames);

// How a restart run ends, as Task Scheduler shows it ("Last Run Result").
enum RunExitCode : int {
    kExitDone = 0,       // the action ran and nothing failed
    kExitCancelled = 1,  // cancelled or closed by the user
    kExitFailed = 2,     // the action ran, but a step raised error event 5
};

// What the run has seen so far; a cancel outranks a failure.
struct RunOutcome {
    bool failed = false;
    bool cancelled = false;
    bool verifying = false;  // Cancel cannot stop the check after the action
    int ExitCode() const { return cancelled ? kExitCancelled : failed ? kExitFailed : kExitDone; }
};
extern RunOutcome TheRunOutcome;

// The four services a bounce may name, in the one order the builder, the
// parsers and the bounce sequence all use.
inline constexpr std::array<std::string_view, 4> kBounceServices = {
    "PmNotifySvr", "PmStoreMonSvr", "PmSpeechSvr", "PmSyncSvr"};

// An action a run would take: a RestartAction code, the bounce's services in
// canonical order, and the action as a command line ("/Bounce:PmSyncSvr").
struct ActionRequest {
    bool valid = false;
    std::int16_t action = 0;
    std::vector<std::string> services;
    std::string line;
};
// One action word, strictly: "/Restart", "/Reboot", or "/Bounce" with
// ":Service" items the bounce knows, each once (any case). Not valid otherwise.
ActionRequest ParseActionWord(std::wstring_view word);
// The action as the scheduled line spells it.
std::string ActionLineOf(const ActionRequest& request);
