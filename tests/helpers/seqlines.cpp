// Prints the run-log lines the program's own sequences write for an action
// when every command succeeds at once: the e2e check's expected log, from
// the one source.   seqlines restart|reboot
#include <cstdio>

#include "../native/FakeHost.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    FakeHost host;
    RestartCountdown countdown(host, std::string(argv[1]) == "reboot" ? ActionReboot : ActionRestartOnly, {"", ""});
    if (!RunToEnd(host, countdown)) return 1;
    for (const std::string& line : host.lines) std::printf("%s\n", line.c_str());
    return 0;
}
