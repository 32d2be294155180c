// One restart run at a time, from a folder only administrators may change:
// the start every run and "/Verify" share. Portable core.
#pragma once

#include <string>

#include "host/RestartHost.h"

// Takes the run lock, then opens the run log (recordedLog, or a new one when
// empty) and warns of a program folder users may change. Refused: a new log
// of its own with the reason, error event 5 and the end of the process
// (false where the host's end returns).
bool ClaimRunThenOpenLog(RunStartHost& host, const std::string& recordedLog);
// "the program folder <folder> can be changed by <writers>, ...", and the
// warning line every run from such a folder writes.
std::string FolderWarning(RunStartHost& host, const std::string& writers);
void WarnIfFolderUnsafe(RunStartHost& host);
