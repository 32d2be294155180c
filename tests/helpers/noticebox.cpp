// Shows the session notice of a reboot as a message box, in one language,
// for a screenshot: Wine has no sessions to send it to.
//   noticebox PROGRAM_FOLDER [DEU|JPN]   (English without a language)
#include <windows.h>

#include <string>

#include "../native/FakeHost.h"
#include "localize/RestartResCONST.h"
#include "restart/NightSteps.h"

namespace {

std::wstring Wide(const std::string& s) {
    std::wstring w(s.size(), L'\0');
    w.resize(static_cast<std::size_t>(::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(),
                                                            static_cast<int>(w.size()))));
    return w;
}

// The program's own string tables: its built-in one, or a language library's.
struct Strings : FakeHost {
    HMODULE module = nullptr;
    std::string Text(int id) override {
        const wchar_t* text = nullptr;
        const int n = ::LoadStringW(module, static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
        std::string utf8(static_cast<std::size_t>(n) * 3, '\0');
        utf8.resize(static_cast<std::size_t>(
            ::WideCharToMultiByte(CP_UTF8, 0, text, n, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr)));
        return utf8;
    }
    std::string LocalTimeText(std::int64_t) override { return "2026-12-09 03:15:20"; }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::wstring file = argc > 2 ? L"OrvaneScheduledRestart_" + std::wstring(argv[2]) + L".dll"
                                       : L"OrvaneScheduledRestart.exe";
    Strings host;
    host.module = ::LoadLibraryExW((std::wstring(argv[1]) + L"\\" + file).c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!host.module) return 3;
    const std::string text = NoticeTextOf(host, NoticeKind::Reboot, {}, 0);
    ::MessageBoxW(nullptr, Wide(text).c_str(), Wide(host.Text(IDS_NOTICE_TITLE)).c_str(), MB_OK | MB_ICONWARNING);
    return 0;
}
