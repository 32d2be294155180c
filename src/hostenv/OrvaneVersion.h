// The installed product's version, as the registry records it.
#pragma once

#include "hostenv/VersionDecode.h"

// Filled by the restart window's load; the log header prints its text.
extern VersionInfo InstalledVersion;

inline constexpr wchar_t kProductKey[] = L"Software\\Pellmark\\";

VersionInfo getVersion();
