// Measures a program from outside, as a user would see it:
//   procbench pairs RUNS TITLE_A EXE_A TITLE_B EXE_B
//                                            ms from start until a visible
//                                            window with the title, and the
//                                            process's peak working set (MB)
//                                            by then; A and B back to back,
//                                            one line a pair, so that a slow
//                                            moment of the machine falls on
//                                            both sides of a pair
//   procbench peak COMMAND...               the run's peak working set (MB)
//                                            and its length (s)
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

double Now() {
    LARGE_INTEGER f, t;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

bool Start(std::wstring line, PROCESS_INFORMATION& pi) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    return ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != FALSE;
}

std::wstring Join(int from, int argc, wchar_t** argv) {
    std::wstring line;
    for (int i = from; i < argc; ++i) line += (i > from ? L" " : L"") + std::wstring(argv[i]);
    return line;
}

struct Shown {
    double ms;  // from the start until the window is visible
    double mb;  // the process's peak working set by then
};

bool TimeToWindow(const wchar_t* title, std::wstring command, Shown& shown) {
    PROCESS_INFORMATION pi{};
    const double t0 = Now();
    if (!Start(std::move(command), pi)) return false;
    HWND w = nullptr;
    while (Now() - t0 < 30 && !((w = ::FindWindowW(nullptr, title)) && ::IsWindowVisible(w))) ::Sleep(1);
    shown.ms = (Now() - t0) * 1000;
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    ::GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof pmc);
    shown.mb = static_cast<double>(pmc.PeakWorkingSetSize) / (1024.0 * 1024.0);
    ::TerminateProcess(pi.hProcess, 0);
    ::WaitForSingleObject(pi.hProcess, 5000);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    ::Sleep(300);
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 7 && std::wstring(argv[1]) == L"pairs") {
        for (int r = 0, runs = _wtoi(argv[2]); r < runs; ++r) {
            Shown a{}, b{};
            // Every other pair B first: what one run leaves behind for the
            // next falls on both programs alike.
            const bool aFirst = r % 2 == 0;
            if (!TimeToWindow(aFirst ? argv[3] : argv[5], aFirst ? argv[4] : argv[6], aFirst ? a : b) ||
                !TimeToWindow(aFirst ? argv[5] : argv[3], aFirst ? argv[6] : argv[4], aFirst ? b : a)) {
                return 3;
            }
            std::printf("pair %.1f %.1f peak %.1f %.1f\n", a.ms, b.ms, a.mb, b.mb);
        }
        return 0;
    }
    if (argc >= 3 && std::wstring(argv[1]) == L"peak") {
        PROCESS_INFORMATION pi{};
        const double t0 = Now();
        if (!Start(Join(2, argc, argv), pi)) return 3;
        SIZE_T peak = 0;
        do {
            PROCESS_MEMORY_COUNTERS pmc{};
            pmc.cb = sizeof pmc;
            if (::GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof pmc)) peak = std::max(peak, pmc.PeakWorkingSetSize);
        } while (::WaitForSingleObject(pi.hProcess, 100) == WAIT_TIMEOUT);
        std::printf("peak %.1f seconds %.1f\n", static_cast<double>(peak) / (1024.0 * 1024.0), Now() - t0);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
        return 0;
    }
    return 2;
}
