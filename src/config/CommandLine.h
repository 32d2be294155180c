// The scheduled command line: "/Reboot", "/Restart" or "/Bounce" with up to
// four ":Service" items. Portable core: no Windows header.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/Arguments.h"
#include "core/CheckState.h"

// The four services a bounce may name, in the one order the builder, the
// parser and the bounce sequence all use.
inline constexpr std::array<std::string_view, 4> kBounceServices = {
    "PmNotifySvr", "PmStoreMonSvr", "PmSpeechSvr", "PmSyncSvr"};

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
