#include "TestSupport.h"

#include <shellapi.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "localize/modLocalize.h"
#include "runtime/App.h"
#include "runtime/Handles.h"
#include "runtime/MessageLoop.h"

namespace test {

ScratchDir::ScratchDir() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"orvtest_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
            std::to_wstring(counter++);
    ::CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchDir::~ScratchDir() {
    // Read-only and hidden files too; a junction a test makes points inside this folder.
    std::wstring from = path_;
    from.push_back(L'\0');  // a double-terminated list of one
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    ::SHFileOperationW(&op);
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
}

std::wstring ChildProc() { return rt::JoinPath(rt::App().path, L"..\\sandbox\\childproc.exe"); }

std::wstring ProgramFile(const std::wstring& name) { return rt::JoinPath(rt::App().path, L"..\\program\\" + name); }

std::wstring ShippedLibrary(const std::wstring& code) {
    return ProgramFile(L"OrvaneScheduledRestart_" + code + L".dll");
}

void LanguageReset::Reset() {
    gLanguageId = 0;
    gLanguageLibrary.reset();
    gLanguageCodes.assign(1, std::wstring());
}

LOGFONTW FontOf(HWND control) {
    LOGFONTW lf{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
}

namespace {
struct WindowSearch {
    const std::wstring* title;
    DWORD pid;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND w, LPARAM lp) {
    auto* search = reinterpret_cast<WindowSearch*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    wchar_t text[512] = {};
    ::GetWindowTextW(w, text, 512);
    if (pid != search->pid || !::IsWindowVisible(w) || *search->title != text) return TRUE;
    search->found = w;
    return FALSE;
}
}  // namespace

HWND FindWindowOf(const std::wstring& title, DWORD pid) {
    WindowSearch search{&title, pid, nullptr};
    ::EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
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
              for (int i = 0; i < 1000 && !(w = FindWindowOf(s.title)); ++i) ::Sleep(10);
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

Answers::Step ReadAndPress(const std::wstring& title, std::wstring& text, int button) {
    return {title, [&text, button](HWND box) {
                text = DialogText(box);
                ::PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
            }};
}

namespace {
constexpr wchar_t kEventSourceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\OrvaneScheduledRestart";

// Copies a key's values and sub-keys to another key, made if needed.
bool CopyKey(const std::wstring& from, const std::wstring& to) {
    HKEY source = nullptr, target = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, from.c_str(), 0, KEY_READ, &source) != ERROR_SUCCESS) return false;
    const rt::UniqueKey sourceOwner(source);
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, to.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target,
                          nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const rt::UniqueKey targetOwner(target);
    return ::RegCopyTreeW(source, nullptr, target) == ERROR_SUCCESS;
}
}  // namespace

EventSourceGuard::EventSourceGuard()
    : backup_(L"Software\\OrvaneTest\\EventSource" + std::to_wstring(::GetCurrentProcessId())) {
    HKEY key = nullptr;
    existed_ = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEventSourceKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
    rt::UniqueKey owner(key);
    saved_ = existed_ && CopyKey(kEventSourceKey, backup_);
}

EventSourceGuard::~EventSourceGuard() {
    if (existed_ && !saved_) return;  // no copy to put back: leave it as it is
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kEventSourceKey);
    if (existed_) CopyKey(backup_, kEventSourceKey);
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, backup_.c_str());
}

Turn::Turn(const wchar_t* what) : mutex_(::CreateMutexW(nullptr, FALSE, (std::wstring(L"Local\\OrvaneTests.") + what).c_str())) {
    // Abandoned by a test program that died: the turn is ours all the same.
    const DWORD got = mutex_ ? ::WaitForSingleObject(mutex_, 120000) : WAIT_FAILED;
    if (got != WAIT_OBJECT_0 && got != WAIT_ABANDONED) ADD_FAILURE() << "no turn: " << got;
}

Turn::~Turn() {
    if (!mutex_) return;
    ::ReleaseMutex(mutex_);
    ::CloseHandle(mutex_);
}

}  // namespace test
