#include "runtime/App.h"

#include <windows.h>

#include <cstring>

namespace rt {
namespace {

AppInfo ReadAppInfo() {
    AppInfo info;
    std::wstring module(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size()));
        if (n == 0) break;
        if (n < module.size()) {
            module.resize(n);
            break;
        }
        module.resize(module.size() * 2);
    }
    const std::size_t slash = module.find_last_of(L"\\/");
    std::wstring file = slash == std::wstring::npos ? module : module.substr(slash + 1);
    info.path = slash == std::wstring::npos ? std::wstring() : module.substr(0, slash);
    if (info.path.size() == 2 && info.path[1] == L':') info.path += L'\\';
    const std::size_t dot = file.find_last_of(L'.');
    info.exeName = dot == std::wstring::npos ? file : file.substr(0, dot);

    // The version comes from our own VERSIONINFO resource, the one place the
    // build writes it.
    if (HRSRC res = ::FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16))) {
        const DWORD size = ::SizeofResource(nullptr, res);
        HGLOBAL loaded = ::LoadResource(nullptr, res);
        const void* data = loaded ? ::LockResource(loaded) : nullptr;
        // The fixed part follows the root block's header and its key
        // "VS_VERSION_INFO", at a DWORD boundary: read in place, so the
        // program needs no version.dll.
        constexpr DWORD kFixedOffset = 40;
        if (data && size >= kFixedOffset + sizeof(VS_FIXEDFILEINFO)) {
            VS_FIXEDFILEINFO fixed;
            std::memcpy(&fixed, static_cast<const unsigned char*>(data) + kFixedOffset, sizeof fixed);
            if (fixed.dwSignature == 0xFEEF04BD) {
                info.major = HIWORD(fixed.dwFileVersionMS);
                info.minor = LOWORD(fixed.dwFileVersionMS);
                info.revision = LOWORD(fixed.dwFileVersionLS);
            }
        }
    }
    return info;
}

}  // namespace

const AppInfo& App() {
    static const AppInfo info = ReadAppInfo();
    return info;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) return name;
    if (folder.back() == L'\\' || folder.back() == L'/') return folder + name;
    return folder + L'\\' + name;
}

}  // namespace rt
