// Measures a program from outside, as a user would see it:
//   procbench window TITLE RUNS COMMAND...  ms from start until a visible
//                                            window with the title, and the
//                                            process's peak working set (MB)
//                                            by then: medians of the runs
//   procbench peak COMMAND...               the run's peak working set (MB)
//                                            and its length (s)
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

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

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 5 && std::wstring(argv[1]) == L"window") {
        const int runs = _wtoi(argv[3]);
        std::vector<double> ms, mb;
        for (int r = 0; r < runs; ++r) {
            PROCESS_INFORMATION pi{};
            const double t0 = Now();
            if (!Start(Join(4, argc, argv), pi)) return 3;
            HWND w = nullptr;
            while (Now() - t0 < 30 && !((w = ::FindWindowW(nullptr, argv[2])) && ::IsWindowVisible(w))) ::Sleep(1);
            ms.push_back((Now() - t0) * 1000);
            PROCESS_MEMORY_COUNTERS pmc{};
            pmc.cb = sizeof pmc;
            ::GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof pmc);
            mb.push_back(static_cast<double>(pmc.PeakWorkingSetSize) / (1024.0 * 1024.0));
            ::TerminateProcess(pi.hProcess, 0);
            ::WaitForSingleObject(pi.hProcess, 5000);
            ::CloseHandle(pi.hThread);
            ::CloseHandle(pi.hProcess);
            ::Sleep(300);
        }
        std::sort(ms.begin(), ms.end());
        std::sort(mb.begin(), mb.end());
        std::printf("median %.1f min %.1f max %.1f peak %.1f\n", ms[ms.size() / 2], ms.front(), ms.back(),
                    mb[mb.size() / 2]);
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
