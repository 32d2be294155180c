// Starting service commands as child processes and waiting for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/WindowStyle.h"

// Starts the command line unchanged (the program is searched for as
// CreateProcess does: the program's folder, the current folder, the system
// folders, PATH) and returns the child's process id without waiting.
// Throws ProgramError when the child cannot be started. The process handle is
// kept, so that a later wait for this id waits on this very child.
std::int32_t StartCommand(std::wstring_view commandLine, WindowStyle windowStyle);

// Drops the handle StartCommand kept for a child nobody will wait for.
void ReleaseCommand(std::int32_t processId);
// How many children's handles are kept for a later wait.
std::size_t KeptCommandCount();

// True only when the process ended within the time-out (-1: no limit). A
// child started by StartCommand is waited on through its kept handle: one that
// ended at once counts as finished, and a stranger that reused its id is
// never waited on. Any other id is opened for SYNCHRONIZE; an id that cannot
// be opened gives false at once. The child is never terminated here.
bool bWaitForProcess(std::int32_t processId, std::int32_t timeoutMs);
