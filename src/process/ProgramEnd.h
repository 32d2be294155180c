// What every window needs of the program as a whole: its arguments, the
// small file test and its orderly end. Depends on logging and the runtime only.
#pragma once

#include <string>

// True when the path names at least one ordinary file (neither hidden nor
// system, not a folder); wildcards match. Never fails.
bool bFileExists(const std::wstring& path);
// Closes the run log and ends the process at once with the exit code that
// Task Scheduler shows as "Last Run Result"; does not return.
[[noreturn]] void EndProgram(int exitCode = 0);
// The argument text after the program name, found from the module path.
std::wstring ProgramArguments();
