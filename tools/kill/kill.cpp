// kill.exe: ends processes by image name.
//   kill.exe <pattern> [-f]
// The pattern may hold * and ?, and is compared without regard to case with
// each image name, with and without its extension. Without -f each match is
// asked to close its windows; with -f it is terminated. kill.exe never ends
// itself or the process that started it.
// Exit code: 0 when at least one process matched, 1 when none did, 2 for bad
// arguments.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Wildcard.h"

namespace {

void Usage() {
    std::fputws(L"Usage: kill.exe <pattern> [-f]\n"
                L"  <pattern>  process image name; * and ? match any characters, case is ignored,\n"
                L"             and the name matches with or without its extension (pm*.* , notepad)\n"
                L"  -f         terminate the processes; without it they are asked to close\n"
                L"Exit code: 0 a process matched, 1 none matched, 2 bad arguments.\n",
                stderr);
}

struct Process {
    DWORD pid;
    DWORD parent;
    std::wstring image;
};

std::vector<Process> Snapshot() {
    std::vector<Process> list;
    HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return list;
    PROCESSENTRY32W e{};
    e.dwSize = sizeof e;
    for (BOOL ok = ::Process32FirstW(snap, &e); ok; ok = ::Process32NextW(snap, &e)) {
        list.push_back({e.th32ProcessID, e.th32ParentProcessID, e.szExeFile});
    }
    ::CloseHandle(snap);
    return list;
}

BOOL CALLBACK CloseWindowsOf(HWND hwnd, LPARAM pid) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    if (owner == static_cast<DWORD>(pid)) ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring pattern;
    bool force = false;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"-f" || arg == L"-F" || arg == L"/f" || arg == L"/F") {
            force = true;
        } else if (pattern.empty() && !arg.empty() && arg[0] != L'-' && arg[0] != L'/') {
            pattern = arg;
        } else {
            Usage();
            return 2;
        }
    }
    if (pattern.empty()) {
        Usage();
        return 2;
    }

    const DWORD self = ::GetCurrentProcessId();
    const std::vector<Process> processes = Snapshot();
    DWORD parent = 0;
    for (const Process& p : processes) {
        if (p.pid == self) parent = p.parent;
    }
    int matched = 0;
    for (const Process& p : processes) {
        if (p.pid == self || p.pid == parent || p.pid == 0) continue;
        if (!PatternNamesImage(pattern, p.image)) continue;
        ++matched;
        bool done = false;
        if (force) {
            if (HANDLE h = ::OpenProcess(PROCESS_TERMINATE, FALSE, p.pid)) {
                done = ::TerminateProcess(h, 1) != FALSE;
                ::CloseHandle(h);
            }
        } else {
            done = ::EnumWindows(&CloseWindowsOf, static_cast<LPARAM>(p.pid)) != FALSE;
        }
        std::fwprintf(stdout, L"process %ls (%lu) - %ls\n", p.image.c_str(), static_cast<unsigned long>(p.pid),
                      done ? (force ? L"killed" : L"asked to close") : L"could not be ended");
    }
    if (matched == 0) {
        std::fwprintf(stdout, L"no process matches %ls\n", pattern.c_str());
        return 1;
    }
    return 0;
}
