// What the verification and the one-run-at-a-time rule need of Windows: the
// service manager, the program's own registry key, a machine-wide lock.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/Handles.h"

#include "restart/RestartHost.h"

// HKLM\SOFTWARE\Orvane\ScheduledRestart, in the program's registry view.
inline constexpr wchar_t kProgramKey[] = L"SOFTWARE\\Orvane\\ScheduledRestart";

ServiceState QueryServiceState(const std::wstring& name);
// "automatic", "manual", "disabled" (and the drivers' "boot", "system"), or
// why it cannot be read.
std::string ServiceStartType(const std::wstring& name);
// The product's "Root Path"; empty when missing.
std::wstring ProductRootPath();
// A DWORD of the program's key: in the program's own registry view, else in
// the other one.
StoredNumber ReadProgramNumber(const wchar_t* value, const wchar_t* keyPath = kProgramKey);

// The restart-run lock: a file opened with no sharing and deleted when its
// last handle closes, so a run that dies, however it dies, releases it. It
// lies in the program folder, where only administrators may create files
// (unlike a named object, which any user can make first). Empty when taken
// (held in `into`); else why not.
std::string ClaimRunLock(const std::wstring& path, rt::UniqueHandle& into);
// The lock file beside the program, held for the rest of the process.
std::string ClaimRestartRun();

