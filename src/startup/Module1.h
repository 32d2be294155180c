// Entry routine, the small file test and the orderly end of the program.
#pragma once

#include <string>

// Picks the face from the command line and shows it; returns at once.
void Main();
// True when the path names at least one ordinary file (neither hidden nor
// system, not a folder); wildcards match. Never fails.
bool bFileExists(const std::wstring& path);
// Closes the run log and ends the process at once with the exit code that
// Task Scheduler shows as "Last Run Result"; does not return.
[[noreturn]] void EndProgram(int exitCode = 0);
// The argument text after the program name, found from the module path.
std::wstring ProgramArguments();
// A restart run is unattended: message boxes close themselves after
// closeAfterMs (as if OK were pressed), and their texts go to the run log,
// when one is open, and to the event log as error event 5.
void MakeRunUnattended(unsigned closeAfterMs = 30000);
