// Times the program's own way of running each step of a "/Restart": a log
// line, the command started and waited on, the result line. Prints one line
// per step: "step <n> <ms> <command>", then "total <ms>".
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "logging/modLogging.h"
#include "restart/RestartSequences.h"
#include "machine/modCallExternalApp.h"
#include "runtime/Text.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    if (std::wstring(argv[1]) == L"--list") {
        // The same commands, for the batch-file twin.
        for (const PlannedCommand& step : RestartCommands()) std::printf("%s\n", step.command.c_str());
        return 0;
    }
    LogFilePath = argv[1];
    LARGE_INTEGER freq, t0, t1, all0, all1;
    ::QueryPerformanceFrequency(&freq);
    ::QueryPerformanceCounter(&all0);
    int n = 0;
    for (const PlannedCommand& step : RestartCommands()) {
        const std::wstring command = rt::FromUtf8(step.command);
        ::QueryPerformanceCounter(&t0);
        WriteLogLine(L"    step " + command, true);
        bool finished = false;
        try {
            finished = bWaitForProcess(StartCommand(command, step.style), step.timeoutMs);
        } catch (...) {
        }
        WriteLogLine(finished ? L"    completed" : L"(error) not finished", true);
        ::QueryPerformanceCounter(&t1);
        std::printf("step %d %.1f %s\n", ++n, 1000.0 * (t1.QuadPart - t0.QuadPart) / freq.QuadPart,
                    rt::ToUtf8(command).c_str());
    }
    ::QueryPerformanceCounter(&all1);
    std::printf("total %.1f\n", 1000.0 * (all1.QuadPart - all0.QuadPart) / freq.QuadPart);
    CloseLogFile();
    return 0;
}
