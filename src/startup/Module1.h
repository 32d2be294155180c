// Entry routine, the small file test and the orderly end of the program.
#pragma once

#include <string>

// Picks the face from the command line and shows it; returns at once.
void Main();
// True when the path names at least one ordinary file (neither hidden nor
// system, not a folder); wildcards match. Never fails.
bool bFileExists(const std::wstring& path);
// Closes the run log and ends the process at once; does not return.
[[noreturn]] void EndProgram();
// The argument text after the program name.
std::wstring ProgramArguments();
