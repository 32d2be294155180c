#include "machine/modCallExternalApp.h"

#include <windows.h>

#include <map>
#include <mutex>
#include <string>

#include "runtime/MessageLoop.h"
#include "runtime/Handles.h"
#include "core/ProgramError.h"
#include "runtime/Text.h"

namespace {

std::mutex gKeptLock;
std::map<DWORD, rt::UniqueHandle>& KeptHandles() {
    static std::map<DWORD, rt::UniqueHandle> kept;
    return kept;
}

rt::UniqueHandle TakeKeptHandle(DWORD pid) {
    std::lock_guard<std::mutex> lock(gKeptLock);
    auto& kept = KeptHandles();
    auto it = kept.find(pid);
    if (it == kept.end()) return {};
    rt::UniqueHandle h = std::move(it->second);
    kept.erase(it);
    return h;
}

WORD ShowCommandFor(int windowStyle) {
    switch (windowStyle) {
    case vbHide: return SW_HIDE;
    case vbNormalFocus: return SW_SHOWNORMAL;
    case vbMinimizedFocus: return SW_SHOWMINIMIZED;
    case vbMaximizedFocus: return SW_SHOWMAXIMIZED;
    case vbNormalNoFocus: return SW_SHOWNOACTIVATE;
    case vbMinimizedNoFocus: return SW_SHOWMINNOACTIVE;
    default: throw ProgramError(kErrInvalidProcedureCall, "Invalid procedure call or argument");
    }
}

// The program a command line names: quoted, or up to the first blank.
std::wstring ProgramOf(std::wstring_view line) {
    if (!line.empty() && line.front() == L'"') {
        const std::size_t close = line.find(L'"', 1);
        return std::wstring(line.substr(1, close == std::wstring_view::npos ? std::wstring_view::npos : close - 1));
    }
    return std::wstring(line.substr(0, line.find_first_of(L" \t")));
}

}  // namespace

std::int32_t StartCommand(std::wstring_view commandLine, WindowStyle windowStyle) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = ShowCommandFor(windowStyle);
    std::wstring mutableLine(commandLine);  // CreateProcessW may write to it
    if (mutableLine.empty()) throw ProgramError(kErrInvalidProcedureCall, "Invalid procedure call or argument");
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_BAD_PATHNAME ||
            error == ERROR_INVALID_NAME) {
            throw ProgramError(kErrFileNotFound, "File not found: " + rt::ToUtf8(ProgramOf(commandLine)));
        }
        throw ProgramError(static_cast<long>(error), rt::ToUtf8(rt::SystemErrorText(error)));
    }
    rt::UniqueHandle thread(pi.hThread);
    rt::UniqueHandle process(pi.hProcess);
    std::lock_guard<std::mutex> lock(gKeptLock);
    KeptHandles()[pi.dwProcessId] = std::move(process);
    return static_cast<std::int32_t>(pi.dwProcessId);
}

bool bWaitForProcess(std::int32_t processId, std::int32_t timeoutMs) {
    const DWORD pid = static_cast<DWORD>(processId);
    rt::UniqueHandle process = TakeKeptHandle(pid);
    if (!process) process.reset(::OpenProcess(SYNCHRONIZE, TRUE, pid));
    if (!process) return false;
    // The restart window stays painted during the wait; input waits.
    return rt::WaitPaintingOnly(process.get(), static_cast<DWORD>(timeoutMs));
}

void ReleaseCommand(std::int32_t processId) { TakeKeptHandle(static_cast<DWORD>(processId)); }

std::size_t KeptCommandCount() {
    std::lock_guard<std::mutex> lock(gKeptLock);
    return KeptHandles().size();
}
