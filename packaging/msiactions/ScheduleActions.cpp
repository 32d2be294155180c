// The installer's custom actions for the scheduled task (in the MSI's Binary
// table, never installed):
//   CheckSchedule  immediate, before anything is installed: SCHEDULE_NAME,
//                  SCHEDULE_ACTION, SCHEDULE_TIME and SCHEDULE_DAYS, each
//                  checked as a value on its own (no property may add an
//                  argument to the line), then the task's line by the
//                  program's own rules; a bad one fails the install with the
//                  reason in the MSI log.
//   RunProgram     deferred, as the local system account: runs the line in
//                  CustomActionData ("<program>" /Schedule:...), puts what
//                  the program printed into the MSI log, and fails the step
//                  when it ends with another code than 0.
//   DeleteTasks    the same for the uninstall's /Unschedule:*, which never
//                  fails it: a program deleted by hand, Task Scheduler
//                  stopped or a task it cannot read is said in the log.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <string>
#include <utility>

#include "schedule/TaskVerbs.h"

namespace {

struct MsiRecord {
    MSIHANDLE h;
    explicit MsiRecord(unsigned fields) : h(::MsiCreateRecord(fields)) {}
    ~MsiRecord() { ::MsiCloseHandle(h); }
};

struct Handle {
    HANDLE h = nullptr;
    ~Handle() {
        if (h) ::CloseHandle(h);
    }
};

void Log(MSIHANDLE install, const std::wstring& text) {
    // The message is formatted text: each bracket and brace of what the
    // program printed is escaped, so "[ProductName]" stays as it was written
    // (a field's value is no way out: Wine formats it again).
    std::wstring escaped = L"OrvaneScheduledRestart: ";
    for (wchar_t c : text) {
        if (c == L'[' || c == L']' || c == L'{' || c == L'}') {
            escaped += L"[\\";
            escaped += c;
            escaped += L']';
        } else {
            escaped += c;
        }
    }
    MsiRecord record(1);
    ::MsiRecordSetStringW(record.h, 0, escaped.c_str());
    ::MsiProcessMessage(install, INSTALLMESSAGE_INFO, record.h);
}

std::wstring Property(MSIHANDLE install, const wchar_t* name) {
    DWORD size = 0;
    wchar_t empty[1] = L"";
    if (::MsiGetPropertyW(install, name, empty, &size) != ERROR_MORE_DATA) return {};
    std::wstring value(++size, L'\0');
    if (::MsiGetPropertyW(install, name, value.data(), &size) != ERROR_SUCCESS) return {};
    value.resize(size);
    return value;
}

std::wstring FromUtf8(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

}  // namespace

extern "C" __declspec(dllexport) UINT __stdcall CheckSchedule(MSIHANDLE install) {
    const PropertyLine made = ScheduleLineOfProperties(Property(install, L"SCHEDULE_NAME"),
                                                       Property(install, L"SCHEDULE_ACTION"),
                                                       Property(install, L"SCHEDULE_TIME"), Property(install, L"SCHEDULE_DAYS"));
    if (!made.error.empty()) {
        Log(install, L"the scheduled task cannot be made: " + made.error);
        return ERROR_INSTALL_FAILURE;
    }
    Log(install, L"the task will be made with " + made.line);
    ::MsiSetPropertyW(install, L"ORV_SCHEDULE_LINE", made.line.c_str());
    return ERROR_SUCCESS;
}

namespace {

// Runs the line in CustomActionData; true when the program ended with 0.
// What it printed, and how it ended, go into the MSI log.
bool RunLogged(MSIHANDLE install) {
    std::wstring line = Property(install, L"CustomActionData");
    Log(install, L"running " + line);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    Handle read, write;
    if (!::CreatePipe(&read.h, &write.h, &inherit, 0)) return false;
    ::SetHandleInformation(read.h, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = write.h;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) {
        Log(install, L"the program could not be started: error " + std::to_wstring(::GetLastError()));
        return false;
    }
    Handle process{pi.hProcess}, thread{pi.hThread};
    ::CloseHandle(std::exchange(write.h, nullptr));  // the pipe ends with the program
    std::string said;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(read.h, buffer, sizeof buffer, &got, nullptr) && got > 0) said.append(buffer, got);
    ::WaitForSingleObject(process.h, INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(process.h, &code);
    Log(install, L"exit code " + std::to_wstring(code) + L": " + FromUtf8(said));
    return code == 0;
}

}  // namespace

extern "C" __declspec(dllexport) UINT __stdcall RunProgram(MSIHANDLE install) {
    return RunLogged(install) ? ERROR_SUCCESS : ERROR_INSTALL_FAILURE;
}

extern "C" __declspec(dllexport) UINT __stdcall DeleteTasks(MSIHANDLE install) {
    if (!RunLogged(install)) Log(install, L"the program's tasks could not all be deleted; the uninstall goes on");
    return ERROR_SUCCESS;
}
