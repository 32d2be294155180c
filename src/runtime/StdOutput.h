// Text for the person who started a window program from cmd.exe or
// PowerShell.
#pragma once

#include <string>

namespace rt {

// Writes the text to the standard output the program was given (a file or
// a pipe: UTF-8; a console: as text), else to the console of the process
// that started it. False when there is neither, or the write failed.
bool WriteStandardOutput(const std::wstring& text);
// The same for the standard error: notes beside a table that scripts read.
bool WriteStandardError(const std::wstring& text);

}  // namespace rt
