#include "runtime/Text.h"

#include <windows.h>

namespace rt {
namespace {

std::wstring ToWide(UINT codePage, std::string_view s) {
    if (s.empty()) return {};
    const int n = ::MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) ::MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

std::string ToNarrow(UINT codePage, std::wstring_view s) {
    if (s.empty()) return {};
    const int n = ::WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0,
                                        nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) {
        ::WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr,
                              nullptr);
    }
    return out;
}

}  // namespace

std::wstring FromUtf8(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }
std::string ToUtf8(std::wstring_view wide) { return ToNarrow(CP_UTF8, wide); }
std::string ToAnsi(std::wstring_view wide) { return ToNarrow(CP_ACP, wide); }
std::wstring FromAnsi(std::string_view ansi) { return ToWide(CP_ACP, ansi); }

std::wstring SystemErrorText(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = n ? std::wstring(buffer, n) : L"Error " + std::to_wstring(code);
    if (buffer) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    return text;
}

}  // namespace rt
