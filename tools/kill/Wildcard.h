// Wildcard matching of process image names. Portable core.
#pragma once

#include <string_view>

// '*' any run of characters, '?' one character; ASCII letters match without
// regard to case.
bool WildcardMatch(std::wstring_view pattern, std::wstring_view text);

// A pattern names a process when it matches its image name with or without
// the extension ("pm*.*" matches "PmSyncSvr.exe", "PmSyncSvr" matches too).
bool PatternNamesImage(std::wstring_view pattern, std::wstring_view imageName);
