#include "runtime/StdOutput.h"

#include <windows.h>

#include <algorithm>

#include "runtime/Handles.h"
#include "runtime/Text.h"

namespace rt {

namespace {

bool WriteAll(HANDLE out, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 16));
        if (!::WriteFile(out, bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0) return false;
        done += wrote;
    }
    return true;
}

bool WriteConsoleText(HANDLE console, const std::wstring& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        DWORD wrote = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 8192));
        if (!::WriteConsoleW(console, text.data() + done, chunk, &wrote, nullptr) || wrote == 0) return false;
        done += wrote;
    }
    return true;
}

bool WriteStandardStream(DWORD which, const std::wstring& text) {
    const HANDLE out = ::GetStdHandle(which);
    if (out && out != INVALID_HANDLE_VALUE) {
        const DWORD type = ::GetFileType(out);
        DWORD mode = 0;
        if (type == FILE_TYPE_CHAR && ::GetConsoleMode(out, &mode)) return WriteConsoleText(out, text);
        if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE || type == FILE_TYPE_CHAR) return WriteAll(out, ToUtf8(text));
    }
    // Started from a console without redirection: that console, if any.
    if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return false;
    UniqueHandle console(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
    const bool written = console && WriteConsoleText(console.get(), L"\r\n" + text);
    console.reset();
    ::FreeConsole();
    return written;
}

}  // namespace

bool WriteStandardOutput(const std::wstring& text) { return WriteStandardStream(STD_OUTPUT_HANDLE, text); }

bool WriteStandardError(const std::wstring& text) { return WriteStandardStream(STD_ERROR_HANDLE, text); }

}  // namespace rt
