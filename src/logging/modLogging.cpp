#include "logging/modLogging.h"

#include <windows.h>

#include "hostenv/OrvaneVersion.h"
#include "hostenv/WorkStationInfo.h"
#include "logging/LogNames.h"
#include "runtime/App.h"
#include "runtime/DateTime.h"
#include "runtime/FileSystem.h"
#include "runtime/ErrorReporting.h"
#include "runtime/MessageLoop.h"
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

// ---- Log files and the header ------------------------------------------------

namespace {

CivilTime Civil(const SYSTEMTIME& t) { return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond}; }

constexpr int kMaxSameSecondRuns = 999;

std::wstring PathWithCounter(const std::wstring& path, int counter) {
    if (counter <= 1) return path;
    const std::size_t dot = path.find_last_of(L'.');
    const std::size_t slash = path.find_last_of(L"\\/");
    const bool hasExt = dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash);
    const std::wstring stem = hasExt ? path.substr(0, dot) : path;
    const std::wstring ext = hasExt ? path.substr(dot) : std::wstring();
    return stem + L"_" + std::to_wstring(counter) + ext;
}

const std::wstring kRule(64, L'=');

}  // namespace

std::wstring LogFolder() { return rt::JoinPath(rt::App().path, L"logs"); }

std::wstring GenerateNewLogFileNameIn(const std::wstring& folder, const std::wstring& baseName,
                                      const SYSTEMTIME& now) {
    const auto step = [](auto&& body) {
        rt::ContinueAfterProcedureBox(L"GenerateNewLogFileName", rt::ErrorScope::Module, L"Module1", body);
    };
    const CivilTime t = Civil(now);
    std::wstring path;
    step([&] {
        if (!rt::gFileSystem().FolderExists(folder)) rt::gFileSystem().CreateFolder(folder);
    });
    step([&] { PurgeOldLogFilesIn(folder, now); });
    step([&] {
        const std::string base = rt::ToUtf8(baseName);
        for (int counter = 1; counter <= kMaxSameSecondRuns; ++counter) {
            path = rt::JoinPath(folder, rt::FromUtf8(LogFileName(base, t, counter)));
            if (!rt::gFileSystem().FileExists(path)) break;
        }
    });
    LogFilePath = path;
    return path;
}

std::wstring GenerateNewLogFileName() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return GenerateNewLogFileNameIn(LogFolder(), rt::App().exeName, now);
}

namespace {

// Each file the purge deletes.
template <class Body>
void ForEachOldLogFile(const std::wstring& folder, const SYSTEMTIME& today, Body&& body) {
    rt::FileSystem& fs = rt::gFileSystem();
    if (!fs.FolderExists(folder)) return;
    // A log folder that is itself a link or junction leads elsewhere:
    // purge nothing there.
    if (::GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) return;
    for (const rt::FileEntry& file : fs.Files(folder)) {
        if (CalendarDaysBetween(Civil(file.lastModified), Civil(today)) > kLogKeepDays) body(file);
    }
}

}  // namespace

void PurgeOldLogFilesIn(const std::wstring& folder, const SYSTEMTIME& today) {
    rt::ContinueSilently([&] {
        ForEachOldLogFile(folder, today, [](const rt::FileEntry& file) {
            rt::ContinueSilently([&] { rt::gFileSystem().DeleteFile(file.path, true); });
        });
    });
}

int CountOldLogFiles() {
    SYSTEMTIME today{};
    ::GetLocalTime(&today);
    int count = 0;
    ForEachOldLogFile(LogFolder(), today, [&](const rt::FileEntry&) { ++count; });
    return count;
}

void PurgeOldLogFiles() {
    SYSTEMTIME today{};
    ::GetLocalTime(&today);
    PurgeOldLogFilesIn(LogFolder(), today);
}

void OpenLogFile(const std::wstring& path, const WorkStationInfo& workstation) {
    rt::ContinueSilently([&] {
        gLogFile.reset();
        for (int counter = 1; counter <= kMaxSameSecondRuns; ++counter) {
            const std::wstring candidate = PathWithCounter(path, counter);
            HANDLE h = ::CreateFileW(candidate.c_str(), FILE_APPEND_DATA,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h != INVALID_HANDLE_VALUE) {
                gLogFile.reset(h);
                LogFilePath = candidate;
                return;
            }
            if (::GetLastError() != ERROR_FILE_EXISTS) {
                LogFilePath = candidate;  // the writer keeps retrying this path
                return;
            }
        }
    });
    LogFileNumber = 1;
    const rt::AppInfo& app = rt::App();
    WriteLogLine(kRule, false);
    WriteLogLine(L"Running " + app.exeName + L", version " + std::to_wstring(app.major) + L"." +
                     std::to_wstring(app.minor) + L"." + std::to_wstring(app.revision) + L"\r\n",
                 false);
    WriteLogLine(L"Local Orvane version=" + rt::FromUtf8(InstalledVersion.DisplayText), false);
    WriteLogLine(L"Running under domain account: " + workstation.Domain() + L"\\" + workstation.UserName() + L"\r\n",
                 false);
    WriteLogLine(L"Local time=" + rt::Now(), false);
    WriteLogLine(kRule + L"\r\n", false);
}

void OpenLogFile(const std::wstring& path) {
    WorkStationInfo* info = nullptr;
    rt::ContinueSilently([&] { info = &TheWorkStationInfo(); });
    if (info) {
        OpenLogFile(path, *info);
    } else {
        OpenLogFile(path, WorkStationInfo(0));
    }
}
