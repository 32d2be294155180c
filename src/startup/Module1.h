// Entry routine and the unattended restart run.
#pragma once

// Picks the face from the command line and shows it; returns at once.
void Main();
// A restart run is unattended: message boxes close themselves after
// closeAfterMs (as if OK were pressed), and their texts go to the run log,
// when one is open, and to the event log as error event 5.
void MakeRunUnattended(unsigned closeAfterMs = 30000);
