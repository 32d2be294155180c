// The scheduled command line: "/Reboot", "/Restart" or "/Bounce" with up to
// four ":Service" items. Portable core: no Windows header.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/ActionValues.h"
#include "core/Arguments.h"
#include "core/CheckState.h"


enum class ScheduledAction { RestartOnly, Reboot, Bounce };

// What the configuration window's controls say (a grey box does not count).
struct CommandLineSelection {
    ScheduledAction action = ScheduledAction::RestartOnly;
    std::array<CheckState, 4> checkState{};
};

std::wstring BuildCommandLine(const CommandLineSelection& selection);

// Sets RestartAction and rebuilds BounceServiceNames. Never fails; any text
// it does not recognise is ignored and never copied into the service list.
void ParseCommandLine(std::wstring_view line);

// Any action at all: the restart word, or "/Reboot" or "/Bounce" for the
// configuration window to hand on. Such a run is unattended.
bool NamesAnAction(std::wstring_view arguments);

// Start-up's mode choice: the word "restart" anywhere, in any case.
bool NamesRestartWindow(std::wstring_view arguments);
// The check after a reboot: "/Verify" (any case) as the first word of a line
// that names no action, so that every line that named one still does.
bool NamesBootCheck(std::wstring_view arguments);


// Where start-up sends a line. A line that holds a verb as a switch, in any
// form ("/" or "-", any case, then ":", "=", a blank, a quote or the end), is
// a verb line: it goes to that verb's strict parser, and whatever the parser
// does not take is a usage error, never a run. Every other line keeps the
// old rule: "restart" anywhere opens the restart window; "/Verify" first is
// the check after a reboot; anything else the configuration window (which
// runs "/Reboot" and "/Bounce" from its load).
enum class Route { TaskVerb, Preview, Cancel, Skip, RestartWindow, BootCheck, Configure };
Route RouteOf(std::wstring_view arguments);

// "/Preview" and exactly one action word: "/Restart", "/Reboot", or
// "/Bounce" with ":Service" items the bounce knows, each once. Anything else
// is not valid (a usage message).
ActionRequest ParsePreview(std::wstring_view arguments);
// What a run of a scheduled task's line does, routed as the start-up routes
// it; not valid when it runs no action.
ActionRequest ActionOfTaskLine(std::wstring_view line);

// "/Cancel", "/Skip" or "/Skip:Off" alone ("-" for "/", any case); anything
// else on the line is a usage error.
enum class RunControlVerb { Invalid, Cancel, Skip, SkipOff };
RunControlVerb ParseRunControl(std::wstring_view arguments);
