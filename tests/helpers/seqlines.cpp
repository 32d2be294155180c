// Prints what the program's own sequences do for an action when every
// command succeeds at once: its run-log lines, or with "commands" the
// command lines. The e2e check's expectations, from the one source.
//   seqlines restart|reboot [commands]
#include <cstdio>
#include <string>

#include "../native/FakeHost.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    FakeHost host;
    RestartCountdown countdown(host, std::string(argv[1]) == "reboot" ? ActionReboot : ActionRestartOnly, {"", ""});
    if (!RunToEnd(host, countdown)) return 1;
    const bool commands = argc > 2 && std::string(argv[2]) == "commands";
    if (commands) {
        for (const Command& c : host.commands) std::printf("%s\n", c.line.c_str());
    } else {
        for (const std::string& line : host.lines) std::printf("%s\n", line.c_str());
    }
    return 0;
}
