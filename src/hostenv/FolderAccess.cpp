#include "hostenv/FolderAccess.h"

#include <windows.h>
#include <aclapi.h>
#include <lm.h>
#include <sddl.h>

#include <vector>

#include "hostenv/FolderRule.h"
#include "runtime/Handles.h"
#include "runtime/SystemApi.h"
#include "runtime/Text.h"

namespace {

using UniqueLocal = rt::UniqueOwner<HLOCAL, &::LocalFree>;

// netapi32 is not a known DLL: taken from System32 only.
template <class Fn>
Fn NetApi(const char* name) {
    return rt::SystemFunction<Fn>(L"netapi32.dll", name);
}
struct NetBuffer {
    LPBYTE p = nullptr;
    ~NetBuffer() {
        if (p) NetApi<NET_API_STATUS(WINAPI*)(LPVOID)>("NetApiBufferFree")(p);
    }
};

std::string SidText(PSID sid) {
    LPWSTR text = nullptr;
    if (!::ConvertSidToStringSidW(sid, &text)) return {};
    const UniqueLocal owner(text);
    return rt::ToUtf8(text);
}

std::wstring AccountName(PSID sid) {
    wchar_t name[256] = {}, domain[256] = {};
    DWORD nameSize = 256, domainSize = 256;
    SID_NAME_USE use{};
    if (!::LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use)) {
        return rt::FromUtf8(SidText(sid));
    }
    return *domain ? std::wstring(domain) + L"\\" + name : std::wstring(name);
}

// The members of the local Administrators group (under whatever name this
// Windows gives it), and this process's own account when it is one of them.
std::vector<std::string> AdminMembers() {
    std::vector<std::string> members;
    BYTE admins[SECURITY_MAX_SID_SIZE] = {};
    DWORD size = sizeof admins;
    if (!::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins, &size)) return members;
    const std::wstring group = AccountName(admins);
    const std::size_t slash = group.find(L'\\');
    NetBuffer buffer;
    DWORD read = 0, total = 0;
    using GetMembers = NET_API_STATUS(WINAPI*)(LPCWSTR, LPCWSTR, DWORD, LPBYTE*, DWORD, LPDWORD, LPDWORD, PDWORD_PTR);
    const auto get = NetApi<GetMembers>("NetLocalGroupGetMembers");
    if (get && get(nullptr, group.substr(slash == std::wstring::npos ? 0 : slash + 1).c_str(), 0, &buffer.p,
                   MAX_PREFERRED_LENGTH, &read, &total, nullptr) == NERR_Success && buffer.p) {
        const auto* info = reinterpret_cast<const LOCALGROUP_MEMBERS_INFO_0*>(buffer.p);
        for (DWORD i = 0; i < read; ++i) members.push_back(SidText(info[i].lgrmi0_sid));
    }
    BOOL isAdmin = FALSE;
    HANDLE token = nullptr;
    if (::CheckTokenMembership(nullptr, admins, &isAdmin) && isAdmin &&
        ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        const rt::UniqueHandle tokenOwner(token);
        BYTE user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE] = {};
        DWORD length = 0;
        if (::GetTokenInformation(token, TokenUser, user, sizeof user, &length)) {
            members.push_back(SidText(reinterpret_cast<TOKEN_USER*>(user)->User.Sid));
        }
    }
    return members;
}

}  // namespace

std::wstring FolderWritersBesidesAdmins(const std::wstring& folder) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    const DWORD status = ::GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                                 nullptr, &dacl, nullptr, &sd);
    if (status != ERROR_SUCCESS) return L"anyone (its permissions cannot be read: " + rt::SystemErrorText(status) + L")";
    const UniqueLocal sdOwner(sd);
    if (!dacl) return L"Everyone (the folder has no permissions set)";
    std::vector<AccessEntry> entries;
    std::vector<PSID> sids;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!::GetAce(dacl, i, &ace)) continue;
        const auto* header = static_cast<const ACE_HEADER*>(ace);
        // The allowed and denied entries share this layout.
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE) continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        PSID sid = &allowed->SidStart;
        entries.push_back({SidText(sid), header->AceType == ACCESS_ALLOWED_ACE_TYPE, allowed->Mask});
        sids.push_back(sid);
    }
    std::wstring names;
    for (const std::string& writer : UntrustedWriters(entries, AdminMembers())) {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].sid != writer) continue;
            names += (names.empty() ? L"" : L", ") + AccountName(sids[i]);
            break;
        }
    }
    return names;
}
