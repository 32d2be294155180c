#include "logging/modLogging.h"

#include <windows.h>

#include "runtime/DateTime.h"
#include "runtime/ErrorReporting.h"
#include "runtime/Forms.h"
#include "runtime/Handles.h"
#include "runtime/Text.h"

std::int16_t LogFileNumber = 0;
std::wstring LogFilePath;

namespace {

rt::UniqueHandle gLogFile;

void AppendBytes(const std::string& bytes) {
    if (!gLogFile) return;  // still not openable: this line is lost, later ones retry
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        DWORD written = 0;
        const DWORD chunk = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        if (!::WriteFile(gLogFile.get(), p, chunk, &written, nullptr) || written == 0) return;
        p += written;
        left -= written;
    }
}

void OpenForAppend() {
    if (LogFilePath.empty()) return;
    // FILE_APPEND_DATA: every write lands at the current end, so a nested
    // writer's line can never be overwritten by the outer one.
    HANDLE h = ::CreateFileW(LogFilePath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    gLogFile.reset(h);
    if (LogFileNumber == 0) LogFileNumber = 1;
}

}  // namespace

void WriteLogLine(std::wstring_view text, bool timestamp) {
    rt::ContinueSilently([&] {
        std::wstring line;
        if (timestamp) line = rt::Now() + L": ";
        line.append(text);
        line += L"\r\n";
        // A log closed by CloseLogFile (or never opened) is reopened for this
        // line rather than losing it, e.g. an error logged after the close.
        if (!gLogFile) OpenForAppend();
        AppendBytes(rt::ToAnsi(line));
    });
    rt::ContinueSilently([] { rt::DoEvents(); });
    FlushLogFile();
}

void WriteLogLine(std::string_view utf8Text, bool timestamp) {
    std::wstring wide;
    rt::ContinueSilently([&] { wide = rt::FromUtf8(utf8Text); });
    WriteLogLine(std::wstring_view(wide), timestamp);
}

void FlushLogFile() {
    rt::ContinueSilently([] { gLogFile.reset(); });
    rt::ContinueSilently([] { OpenForAppend(); });
}

void CloseLogFile() {
    rt::ContinueSilently([] { gLogFile.reset(); });
}
