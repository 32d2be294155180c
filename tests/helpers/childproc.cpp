// A child process for the command-runner tests.
//   childproc sleep MS          sleeps, then exits 0
//   childproc exit CODE         exits at once with CODE
//   childproc showstate FILE    writes its STARTUPINFO wShowWindow to FILE
//   childproc cmdline FILE ...  writes its whole command line (UTF-8) to FILE
//   childproc forever           sleeps until killed
//   childproc run EXE ARGS...   runs EXE with ARGS, waits, exits with its code
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void WriteFileText(const wchar_t* path, const std::string& text) {
    HANDLE h = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) std::exit(3);
    DWORD written = 0;
    ::WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(h);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::wstring verb = argv[1];
    if (verb == L"sleep" && argc >= 3) {
        ::Sleep(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
        return 0;
    }
    if (verb == L"exit" && argc >= 3) return static_cast<int>(std::wcstol(argv[2], nullptr, 10));
    if (verb == L"forever") {
        ::Sleep(INFINITE);
        return 0;
    }
    if (verb == L"run" && argc >= 3) {
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
    if (verb == L"showstate" && argc >= 3) {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        ::GetStartupInfoW(&si);
        const int state = (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : -1;
        WriteFileText(argv[2], std::to_string(state));
        return 0;
    }
    if (verb == L"cmdline" && argc >= 3) {
        const wchar_t* line = ::GetCommandLineW();
        const int n = ::WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
        std::string utf8(static_cast<std::size_t>(n), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, line, -1, utf8.data(), n, nullptr, nullptr);
        if (!utf8.empty()) utf8.pop_back();
        WriteFileText(argv[2], utf8);
        return 0;
    }
    return 2;
}
