// The program's own arguments within its process command line. Portable core.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// A blank between arguments: tab, space, or any other Unicode space separator
// (a no-break space, the ideographic space a Japanese keyboard types).
bool IsBlank(wchar_t c);

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
// The same, with the 8.3 form asked for only where it can matter: a line
// that does not start with a quote (asking walks every folder on the path).
std::wstring_view ArgumentsAfterProgram(std::wstring_view fullCommandLine, std::wstring_view modulePath,
                                        const std::function<std::wstring()>& shortModulePath);
