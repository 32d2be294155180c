#include "verify/OneRun.h"

#include "core/ActionValues.h"
#include "host/TickStep.h"

bool ClaimRunThenOpenLog(RunStartHost& host, const std::string& recordedLog) {
    TickStep step(host);
    std::string refused;
    step([&] { refused = host.ClaimRun(); });
    // A refused run writes its own log, never the running one's.
    step([&] { host.OpenRunLog(refused.empty() ? recordedLog : std::string()); });
    // Said also when refused: the folder is what a run trusts either way.
    WarnIfFolderUnsafe(host);
    if (refused.empty()) return true;
    step([&] { host.Log("(error) " + refused); });
    step([&] { ReportFailure(host, refused); });
    step([&] { host.CloseLog(); });
    host.EndProcess(TheRunOutcome.ExitCode());
    return false;
}

std::string FolderWarning(RunStartHost& host, const std::string& writers) {
    return "the program folder " + host.ProgramFolder() + " can be changed by " + writers +
           ", not only by administrators: install with the MSI, or remove that write access";
}

void WarnIfFolderUnsafe(RunStartHost& host) {
    TickStep step(host);
    std::string writers;
    step([&] { writers = host.FolderWriters(); });
    if (!writers.empty()) step([&] { host.Log("    Warning: " + FolderWarning(host, writers)); });
}
