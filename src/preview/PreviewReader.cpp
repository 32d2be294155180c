#include "preview/PreviewReader.h"

#include <windows.h>

#include <cwchar>

#include "hostenv/FolderAccess.h"
#include "localize/RestartResCONST.h"
#include "localize/modLocalize.h"
#include "logging/modLogging.h"
#include "machine/GatewayClsid.h"
#include "restart/NightControl.h"
#include "verify/BootCheck.h"
#include "verify/VerifyHost.h"
#include "runtime/App.h"
#include "runtime/FileSystem.h"
#include "runtime/Handles.h"
#include "runtime/Text.h"
#include "schedule/ScheduledTasks.h"

namespace {

std::string ErrorText(DWORD code) { return rt::ToUtf8(rt::SystemErrorText(code)); }

bool IsFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A folder opened for the right to add to it: the access check of a write,
// with nothing written.
std::string WhyNotAddable(const std::wstring& folder, DWORD right) {
    rt::UniqueHandle handle(::CreateFileW(folder.c_str(), right, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return handle ? std::string() : ErrorText(::GetLastError());
}

// The file a class registration names: the default value, unquoted, its
// arguments dropped, with environment variables expanded.
std::wstring RegisteredFile(std::wstring value) {
    if (!value.empty() && value[0] == L'"') {
        value = value.substr(1, value.find(L'"', 1) - 1);
    } else if (const std::size_t exe = value.find(L".exe "); exe != std::wstring::npos) {
        value.resize(exe + 4);
    }
    wchar_t expanded[MAX_PATH * 2]{};
    const DWORD n = ::ExpandEnvironmentStringsW(value.c_str(), expanded, static_cast<DWORD>(std::size(expanded)));
    return n && n <= std::size(expanded) ? std::wstring(expanded) : value;
}

}  // namespace

std::string WindowsServerReader::Text(int id) { return rt::ToUtf8(mymyLoadString(id)); }
std::string WindowsServerReader::ProgramFolder() { return rt::ToUtf8(rt::App().path); }
std::string WindowsServerReader::DriveOf(const std::string& path) {
    return rt::ToUtf8(rt::gFileSystem().GetDriveName(rt::FromUtf8(path)));
}
std::string WindowsServerReader::ProductRootPath() { return rt::ToUtf8(::ProductRootPath()); }
ServiceState WindowsServerReader::QueryService(const std::string& name) { return QueryServiceState(rt::FromUtf8(name)); }
std::string WindowsServerReader::StartType(const std::string& name) { return ServiceStartType(rt::FromUtf8(name)); }
StoredNumber WindowsServerReader::VerifySecondsSetting() { return ReadProgramNumber(L"VerifySeconds"); }
StoredNumber WindowsServerReader::RebootMinutesSetting() { return ReadProgramNumber(L"RebootMinutes"); }

std::string WindowsServerReader::FolderWriters() {
    // Asked by the sequences and by the state section: read once.
    if (!writersRead_) writers_ = rt::ToUtf8(FolderWritersBesidesAdmins(rt::App().path));
    writersRead_ = true;
    return writers_;
}

std::string WindowsServerReader::FindProgram(const std::string& nameOrPath) {
    const std::wstring name = rt::FromUtf8(nameOrPath);
    if (name.find_first_of(L"\\/") != std::wstring::npos) return IsFile(name) ? nameOrPath : std::string();
    // As CreateProcess looks: the program's own folder first (kill.exe runs
    // with it as the current folder too), then the system's search path.
    const std::wstring beside = rt::JoinPath(rt::App().path, name);
    if (IsFile(beside)) return rt::ToUtf8(beside);
    wchar_t found[MAX_PATH]{};
    const DWORD n = ::SearchPathW(nullptr, name.c_str(), L".exe", MAX_PATH, found, nullptr);
    return n && n < MAX_PATH ? rt::ToUtf8(found) : std::string();
}

GatewayFacts WindowsServerReader::Gateway() {
    GatewayFacts facts;
    // The class identity as the registry spells it (ole32 is not loaded for this).
    const CLSID& id = kGatewayControlClsid;
    wchar_t clsid[40]{};
    std::swprintf(clsid, 40, L"{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", static_cast<unsigned long>(id.Data1),
                  id.Data2, id.Data3, id.Data4[0], id.Data4[1], id.Data4[2], id.Data4[3], id.Data4[4], id.Data4[5],
                  id.Data4[6], id.Data4[7]);
    for (const wchar_t* server : {L"InprocServer32", L"LocalServer32"}) {
        const std::wstring key = std::wstring(L"CLSID\\") + clsid + L"\\" + server;
        wchar_t value[MAX_PATH * 2]{};
        DWORD size = sizeof value;
        const LSTATUS status =
            ::RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                           nullptr, value, &size);
        if (status == ERROR_FILE_NOT_FOUND) continue;
        if (status != ERROR_SUCCESS) {
            facts.error = ErrorText(static_cast<DWORD>(status));
            return facts;
        }
        facts.registered = true;
        const std::wstring file = RegisteredFile(value);
        facts.serverFile = rt::ToUtf8(file);
        facts.serverFileExists = IsFile(file);
        return facts;
    }
    return facts;
}

LogFolderFacts WindowsServerReader::LogFolder() {
    LogFolderFacts facts;
    const std::wstring folder = ::LogFolder();
    facts.folder = rt::ToUtf8(folder);
    // A missing folder is made by the run, in the program folder.
    facts.why = rt::gFileSystem().FolderExists(folder) ? WhyNotAddable(folder, FILE_ADD_FILE)
                                                       : WhyNotAddable(rt::App().path, FILE_ADD_SUBDIRECTORY);
    facts.writable = facts.why.empty();
    try {
        facts.purgeCount = CountOldLogFiles();
    } catch (...) {
        facts.purgeCount = 0;  // nothing the purge could list, nothing it deletes
    }
    return facts;
}

LockFacts WindowsServerReader::Lock() {
    LockFacts facts;
    const std::optional<bool> held = RunLockHeld(RunLockPath(), facts.error);
    facts.held = held.value_or(false);
    return facts;
}

std::string WindowsServerReader::TaskSchedulerError() {
    try {
        ScheduledTasks tasks;
        tasks.ReloadTasks();
        return {};
    } catch (const std::exception& e) {
        return e.what();
    }
}

PreviewReport PreviewOf(const std::string& actionLine, std::int16_t action, const std::vector<std::string>& services) {
    WindowsServerReader reader;
    return MakePreview(reader, actionLine, action, services);
}

std::string WindowsServerReader::PendingSkipText() { return rt::ToUtf8(::PendingSkipText()); }

std::wstring PendingSkipText() {
    const SkipRecord skip = ReadSkipRecord();
    if (SkipVerdictOf(skip, UtcSecondsNow()) != SkipVerdict::SkipThisRun) return {};
    return rt::FromUtf8(Fill(rt::ToUtf8(mymyLoadString(IDS_SKIP_PENDING)),
                             {skip.by, LocalTimeOf(skip.at), LocalTimeOf(skip.at + kSkipHoldsSeconds)}));
}
