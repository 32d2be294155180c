#include "TestSupport.h"

#include <atomic>
#include <vector>

#include "runtime/App.h"
#include "runtime/Forms.h"

namespace test {

ScratchDir::ScratchDir() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"orvtest_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
            std::to_wstring(counter++);
    ::CreateDirectoryW(path_.c_str(), nullptr);
}

namespace {
void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW d{};
    HANDLE h = ::FindFirstFileW((dir + L"\\*").c_str(), &d);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = d.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring full = dir + L"\\" + name;
            ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(full);
            else ::DeleteFileW(full.c_str());
        } while (::FindNextFileW(h, &d));
        ::FindClose(h);
    }
    ::SetFileAttributesW(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryW(dir.c_str());
}
}  // namespace

ScratchDir::~ScratchDir() { RemoveTree(path_); }

std::string ReadBytes(const std::wstring& path) {
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string out;
    char buf[4096];
    DWORD got = 0;
    while (::ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    ::CloseHandle(h);
    return out;
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(h);
}

std::wstring ChildProc() { return rt::JoinPath(rt::App().path, L"childproc.exe"); }

namespace {
struct OwnWindowSearch {
    const wchar_t* cls;
    const std::wstring* title;
    HWND found;
};

BOOL CALLBACK MatchOwnWindow(HWND w, LPARAM lp) {
    auto* search = reinterpret_cast<OwnWindowSearch*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    if (pid != ::GetCurrentProcessId() || !::IsWindowVisible(w)) return TRUE;
    wchar_t text[512] = {}, cls[64] = {};
    ::GetWindowTextW(w, text, 512);
    ::GetClassNameW(w, cls, 64);
    if (*search->title != text || (search->cls && std::wstring_view(cls) != search->cls)) return TRUE;
    search->found = w;
    return FALSE;
}
}  // namespace

HWND FindOwnWindow(const wchar_t* cls, const std::wstring& title) {
    OwnWindowSearch search{cls, &title, nullptr};
    ::EnumWindows(&MatchOwnWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        rt::DoEvents();
        ::Sleep(10);
    }
    return true;
}

Answers::Answers(std::vector<Step> steps)
    : thread_([this, steps = std::move(steps)] {
          for (const Step& s : steps) {
              HWND w = nullptr;
              for (int i = 0; i < 1000 && !(w = FindOwnWindow(nullptr, s.title)); ++i) ::Sleep(10);
              if (!w) return;
              ::Sleep(50);  // let it finish initialising
              s.act(w);
              ++done_;
              for (int i = 0; i < 500 && ::IsWindow(w) && ::IsWindowVisible(w); ++i) ::Sleep(10);
          }
      }) {}

std::wstring DialogText(HWND dialog) {
    std::wstring all;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[32] = {};
        ::GetClassNameW(child, cls, 32);
        if (lstrcmpiW(cls, L"Static") != 0) continue;
        wchar_t text[1024] = {};
        ::GetWindowTextW(child, text, 1024);
        all += text;
    }
    return all;
}

bool IsAdministrator() {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID admins = nullptr;
    if (!::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                    &admins)) {
        return false;
    }
    BOOL member = FALSE;
    if (!::CheckTokenMembership(nullptr, admins, &member)) member = FALSE;
    ::FreeSid(admins);
    return member != FALSE;
}

namespace {
constexpr wchar_t kEventSourceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\OrvaneScheduledRestart";
}

EventSourceGuard::EventSourceGuard() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEventSourceKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    existed_ = true;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLen = 256, type = 0, size = 0;
        if (::RegEnumValueW(key, i, name, &nameLen, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::string data(size, '\0');
        nameLen = 256;
        ::RegEnumValueW(key, i, name, &nameLen, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        values_.push_back({std::wstring(name, nameLen), type, data.substr(0, size)});
    }
    ::RegCloseKey(key);
}

EventSourceGuard::~EventSourceGuard() {
    if (!existed_) {
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kEventSourceKey);
        return;
    }
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kEventSourceKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                          nullptr) != ERROR_SUCCESS) {
        return;
    }
    for (const Value& v : values_) {
        ::RegSetValueExW(key, v.name.c_str(), 0, v.type, reinterpret_cast<const BYTE*>(v.data.data()),
                         static_cast<DWORD>(v.data.size()));
    }
    ::RegCloseKey(key);
}

}  // namespace test
