#include "hostenv/WorkStationInfo.h"

#include <windows.h>
#include <lm.h>

#include "runtime/SystemApi.h"

namespace {

std::int32_t CurrentPlatformId() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;  // 148
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#elif defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    const BOOL ok = ::GetVersionExA(&info);
#if defined(__GNUC__) && !defined(_MSC_VER)
#pragma GCC diagnostic pop
#endif
    return ok ? static_cast<std::int32_t>(info.dwPlatformId) : 0;
}

// netapi32 is no known system DLL: taken from System32 at run time, never
// from beside the program.
template <class Fn>
Fn NetApi(const char* name) {
    return rt::SystemFunction<Fn>(L"netapi32.dll", name);
}

struct NetBuffer {
    LPBYTE p = nullptr;
    ~NetBuffer() {
        using Free = NET_API_STATUS(WINAPI*)(LPVOID);
        if (p) {
            if (auto free = NetApi<Free>("NetApiBufferFree")) free(p);
        }
    }
};

}  // namespace

WorkStationInfo::WorkStationInfo() : WorkStationInfo(CurrentPlatformId()) {}

WorkStationInfo::WorkStationInfo(std::int32_t platformId) {
    if (platformId == VER_PLATFORM_WIN32_NT) {
        bIsNT = true;
        Refresh();
    }
}

std::wstring WorkStationInfo::strFromWidePointer(const wchar_t* text) {
    if (!text) return {};
    const int n = ::lstrlenW(text);
    return n > 0 ? std::wstring(text, static_cast<std::size_t>(n)) : std::wstring();
}

void WorkStationInfo::Refresh() {
    if (!bIsNT) return;
    {
        NetBuffer buf;
        using GetInfo = NET_API_STATUS(WINAPI*)(LMSTR, DWORD, LPBYTE*);
        auto get = NetApi<GetInfo>("NetWkstaGetInfo");
        if (get && get(nullptr, 102, &buf.p) == NERR_Success && buf.p) {
            const auto* w = reinterpret_cast<const WKSTA_INFO_102*>(buf.p);
            platformId_ = static_cast<std::int32_t>(w->wki102_platform_id);
            computerName_ = strFromWidePointer(w->wki102_computername);
            domain_ = strFromWidePointer(w->wki102_langroup);
            verMajor_ = static_cast<std::int32_t>(w->wki102_ver_major);
            verMinor_ = static_cast<std::int32_t>(w->wki102_ver_minor);
            lanRoot_ = strFromWidePointer(w->wki102_lanroot);
            loggedOnUsers_ = static_cast<std::int32_t>(w->wki102_logged_on_users);
        }
    }
    {
        NetBuffer buf;
        using UserInfo = NET_API_STATUS(WINAPI*)(LMSTR, DWORD, LPBYTE*);
        auto get = NetApi<UserInfo>("NetWkstaUserGetInfo");
        if (get && get(nullptr, 1, &buf.p) == NERR_Success && buf.p) {
            const auto* u = reinterpret_cast<const WKSTA_USER_INFO_1*>(buf.p);
            userName_ = strFromWidePointer(u->wkui1_username);
            logonDomain_ = strFromWidePointer(u->wkui1_logon_domain);
            otherDomains_ = strFromWidePointer(u->wkui1_oth_domains);
            logonServer_ = strFromWidePointer(u->wkui1_logon_server);
        }
    }
}

WorkStationInfo& TheWorkStationInfo() {
    static WorkStationInfo info;
    return info;
}
