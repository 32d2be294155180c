// Prints what the program's own sequences do for an action when every
// command succeeds at once: its run-log lines, its command lines or its
// events ("6:PmSyncSvr"). The e2e check's expectations, from the one source.
//   seqlines lines|commands|events restart|reboot|bounce [SERVICE...]
#include <cstdio>
#include <string>

#include "../native/FakeHost.h"

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const std::string what = argv[1], action = argv[2];
    std::vector<std::string> services;
    FakeHost host;
    host.verifySetting = {};
    // As the sandbox's stand-ins: the product's services need the database.
    for (const std::string& name : RestartServices()) {
        if (name.rfind("Pm", 0) == 0) host.dependsOn[name] = "MSSQLServer";
    }
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--fail=", 0) == 0) {
            host.startDelay[arg.substr(7)] = -1;
        } else if (arg.rfind("--missing=", 0) == 0) {
            host.uninstalled.push_back(arg.substr(10));
        } else if (arg.rfind("--pending=", 0) == 0) {
            host.startDelay[arg.substr(10)] = -1;
            host.pending.push_back(arg.substr(10));
        } else if (arg.rfind("--verify=", 0) == 0) {
            host.verifySetting = {true, true, static_cast<std::uint32_t>(std::stoul(arg.substr(9)))};
        } else {
            services.push_back(arg);
        }
    }
    RestartCountdown countdown(host, action == "reboot" ? ActionReboot : action == "bounce" ? ActionBounce
                                                                                          : ActionRestartOnly,
                               services);
    if (!RunToEnd(host, countdown)) return 1;
    if (what == "commands") {
        for (const Command& c : host.commands) std::printf("%s\n", c.line.c_str());
    }
    for (const std::string& line : what == "events" ? host.events : what == "lines" ? host.lines
                                                                                    : std::vector<std::string>{}) {
        std::printf("%s\n", line.c_str());
    }
    return 0;
}
