// The scheduled command line: "/Reboot", "/Restart" or "/Bounce" with up to
// four ":Service" items. Portable core: no Windows header.
#pragma once

#include <array>
#include <string>
#include <string_view>

// The four services a bounce may name, in the one order the builder, the
// parser and the bounce sequence all use.
inline constexpr std::array<std::string_view, 4> kBounceServices = {
    "PmNotifySvr", "PmStoreMonSvr", "PmSpeechSvr", "PmSyncSvr"};

enum class ScheduledAction { RestartOnly, Reboot, Bounce };

// What the configuration window's controls say. Check-box states follow the
// window's convention: 0 clear, 1 ticked, 2 grey (grey does not count).
struct CommandLineSelection {
    ScheduledAction action = ScheduledAction::RestartOnly;
    std::array<int, 4> checkState{};
};

std::wstring BuildCommandLine(const CommandLineSelection& selection);

// Sets RestartAction and rebuilds BounceServiceNames. Never fails; any text
// it does not recognise is ignored and never copied into the service list.
void ParseCommandLine(std::wstring_view line);

// Case-insensitive (ASCII letters only) search anywhere in the text.
bool ContainsNoCase(std::wstring_view text, std::wstring_view word);

// The argument text that follows the program name of a full process command
// line, by the same rules the C runtime uses for argv[0].
std::wstring_view ArgumentsOf(std::wstring_view fullCommandLine);

// The same, but an unquoted program path with blanks is recognised from the
// program's module path (its long and its 8.3 form; either may be empty):
// the longest run of the line, ending at a blank, that names the module (any
// case, ".exe" optional, in full or as its tail after a backslash) is the
// program. Windows hands a scheduled task's unquoted line over as it stands,
// so "C:\Program Files\Orvane Restart\X.exe /Reboot" must not become the
// arguments "Files\Orvane Restart\X.exe /Reboot". Otherwise as ArgumentsOf.
std::wstring_view ArgumentsAfterProgram(std::wstring_view fullCommandLine, std::wstring_view modulePath,
                                        std::wstring_view shortModulePath);

// Any action at all: the restart word, or "/Reboot" or "/Bounce" for the
// configuration window to hand on. Such a run is unattended.
bool NamesAnAction(std::wstring_view arguments);

// Start-up's mode choice: the word "restart" anywhere, in any case.
bool NamesRestartWindow(std::wstring_view arguments);
