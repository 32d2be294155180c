// What the verification and the one-run-at-a-time rule need of Windows: the
// service manager, the program's own registry key, a machine-wide lock.
#pragma once

#include <string>

#include "restart/RestartHost.h"

// HKLM\SOFTWARE\Orvane\ScheduledRestart, in the program's registry view.
inline constexpr wchar_t kProgramKey[] = L"SOFTWARE\\Orvane\\ScheduledRestart";

ServiceState QueryServiceState(const std::wstring& name);
StoredNumber ReadVerifySeconds(const wchar_t* keyPath = kProgramKey);
// Takes the machine-wide restart-run lock for the rest of the process
// (Windows drops it when the process ends, however it ends); false when
// another process holds it.
bool ClaimRestartRun();
