// Times the program's own way of running each step of a "/Restart": a log
// line, the command started and waited on, the result line. Prints one line
// per step: "step <n> <ms> <command>", then "total <ms>".
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "logging/modLogging.h"
#include "restart/modCallExternalApp.h"
#include "runtime/Text.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    LogFilePath = argv[1];
    const std::vector<std::pair<std::wstring, int>> steps = {
        {L"Net Stop PmDirWriter", 1}, {L"Net STop PmDirCatalog", 1}, {L"Net Stop PmGateway", 1},
        {L"Net Stop PmCoreMgr", 1},           {L"Net Stop PmDirLink", 1},    {L"Net STop PmDirCatalog", 1},
        {L"Net STop PmNotifySvr", 1},         {L"Net Stop PmBridgeLink", 1}, {L"Net Stop PmStoreMonSvr", 1},
        {L"Net Stop PmReplDirSvc", 1},        {L"Net Stop PmSyncSvr", 1},    {L"Net Stop PmSpeechSvr", 1},
        {L"kill.exe pm*.* -f", 2},            {L"Net Stop W3svc", 1},        {L"Net Stop SQLServerAgent", 1},
        {L"kill.exe pm*.* -f", 2},            {L"Net Stop MSSQLServer", 1},  {L"Net Start W3svc", 6},
        {L"Net Start PmGateway", 6},          {L"Net Start PmDirLink", 6},   {L"Net Start PmDirCatalog", 6},
        {L"Net Start PmNotifySvr", 6},        {L"Net Start PmDirWriter", 6}, {L"Net Start PmAuxSvr", 6},
        {L"Net Start PmSyncSvr", 6},          {L"Net Start PmSpeechSvr", 6}, {L"Net Start PmReplDirSvc", 6},
    };
    LARGE_INTEGER freq, t0, t1, all0, all1;
    ::QueryPerformanceFrequency(&freq);
    ::QueryPerformanceCounter(&all0);
    int n = 0;
    for (const auto& [command, style] : steps) {
        ::QueryPerformanceCounter(&t0);
        WriteLogLine(L"    step " + command, true);
        bool finished = false;
        try {
            finished = bWaitForProcess(StartCommand(command, style), style == 6 ? -1 : 60000);
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
