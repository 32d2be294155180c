// What the verification and the one-run-at-a-time rule need of Windows: the
// service manager, the program's own registry key, a machine-wide lock.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "runtime/Handles.h"

#include "host/RestartHost.h"

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

// The restart-run lock, one for the whole server whatever copy of the
// program runs: a file in a folder of the common application data that only
// administrators may change (made so, and checked by the folder rule), never
// deleted, and locked on its first byte while a run holds it, so that a run
// that dies, however it dies, releases it, and no one else's open of the
// file can keep a run out.
std::wstring RunLockFolder();
std::wstring RunLockPath();
// Makes the folder when missing; empty when it passes the rule, else why not.
std::string PrepareRunLockFolder(const std::wstring& folder);
// Empty when taken (held in `into`); else why not. A look at it (below)
// that meets the claim is waited out.
std::string ClaimRunLock(const std::wstring& path, rt::UniqueHandle& into);
// Whether a run holds it now, by a look over in an instant; nothing (and
// the reason) when it cannot be told.
std::optional<bool> RunLockHeld(const std::wstring& path, std::string& error);
// The lock, held for the rest of the process.
std::string ClaimRestartRun();

