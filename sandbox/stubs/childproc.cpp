// A child process for the Windows tests: a victim to kill, a stand-in for
// net.exe and kill.exe, a probe of what a started program receives.
//   childproc sleep MS          sleeps (a victim to kill: a long one), then exits 0
//   childproc exit CODE         exits at once with CODE
//   childproc showstate FILE    writes its STARTUPINFO wShowWindow to FILE
//   childproc cmdline FILE ...  writes its whole command line (UTF-8) to FILE
//   childproc run EXE ARGS...   runs EXE with ARGS, waits, exits with its code
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void WriteFileText(const wchar_t* path, const std::string& text) {
    FILE* f = _wfopen(path, L"wb");
    if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0) std::exit(3);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring verb = argc >= 3 ? argv[1] : L"";
    if (verb == L"sleep") {
        ::Sleep(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
        return 0;
    }
    if (verb == L"exit") return static_cast<int>(std::wcstol(argv[2], nullptr, 10));
    if (verb == L"run") {
        std::wstring line = L"\"" + std::wstring(argv[2]) + L"\"";
        for (int i = 3; i < argc; ++i) line += L" " + std::wstring(argv[i]);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 4;
        ::WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD code = 4;
        ::GetExitCodeProcess(pi.hProcess, &code);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
        return static_cast<int>(code);
    }
    if (verb == L"showstate") {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        ::GetStartupInfoW(&si);
        WriteFileText(argv[2], std::to_string((si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : -1));
        return 0;
    }
    if (verb == L"cmdline") {
        const wchar_t* line = ::GetCommandLineW();
        std::string utf8(static_cast<std::size_t>(::WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr)), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, line, -1, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr);
        if (!utf8.empty()) utf8.pop_back();  // the terminator
        WriteFileText(argv[2], utf8);
        return 0;
    }
    return 2;
}
