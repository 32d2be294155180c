#include "hostenv/FolderAccess.h"

#include <windows.h>
#include <aclapi.h>
#include <lm.h>
#include <sddl.h>

#include <algorithm>
#include <vector>

#include "hostenv/FolderRule.h"
#include "runtime/App.h"
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

// An object's owner and access entries, read from the object itself: a link
// on the way is read as the link, never as what it points to.
SecuredObject ReadSecurity(HANDLE h, SE_OBJECT_TYPE type, SecuredObject o);

SecuredObject Read(const std::wstring& path, SecuredObject::Role role) {
    SecuredObject o;
    o.role = role;
    o.path = rt::ToUtf8(path);
    const rt::UniqueHandle h(::CreateFileW(path.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING,
                                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!h) {
        o.unreadable = rt::ToUtf8(rt::SystemErrorText(::GetLastError()));
        return o;
    }
    return ReadSecurity(h.get(), SE_FILE_OBJECT, std::move(o));
}

// The owner and entries of an open file or key.
SecuredObject ReadSecurity(HANDLE h, SE_OBJECT_TYPE type, SecuredObject o) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    const DWORD status = ::GetSecurityInfo(h, type, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                           &owner, nullptr, &dacl, nullptr, &sd);
    if (status != ERROR_SUCCESS) {
        o.unreadable = rt::ToUtf8(rt::SystemErrorText(status));
        return o;
    }
    const UniqueLocal sdOwner(sd);
    o.owner = owner ? SidText(owner) : std::string();
    o.noDacl = dacl == nullptr;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!::GetAce(dacl, i, &ace)) {
            o.entries.push_back({AccessEntry::Unread, "", 0, false});
            continue;
        }
        const auto* header = static_cast<const ACE_HEADER*>(ace);
        const bool inheritOnly = (header->AceFlags & INHERIT_ONLY_ACE) != 0;
        switch (header->AceType) {
        case ACCESS_ALLOWED_ACE_TYPE:
        case ACCESS_DENIED_ACE_TYPE: {
            // The allowed and denied entries share this layout.
            auto* entry = static_cast<ACCESS_ALLOWED_ACE*>(ace);
            o.entries.push_back({header->AceType == ACCESS_ALLOWED_ACE_TYPE ? AccessEntry::Allow : AccessEntry::Deny,
                                 SidText(&entry->SidStart), entry->Mask, inheritOnly});
            break;
        }
        case ACCESS_DENIED_OBJECT_ACE_TYPE:
        case ACCESS_DENIED_CALLBACK_ACE_TYPE:
        case ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE:
            break;  // only take rights away
        default:
            // Object, callback, conditional or unknown: it may grant anything.
            o.entries.push_back({AccessEntry::Unread, "", 0, inheritOnly});
        }
    }
    return o;
}

bool IsLink(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// "C:\", or "\\server\share\" with its share.
std::size_t RootLength(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return 3;
    if (path.compare(0, 2, L"\\\\") != 0) return 0;
    const std::size_t share = path.find(L'\\', 2);
    const std::size_t end = share == std::wstring::npos ? std::wstring::npos : path.find(L'\\', share + 1);
    return end == std::wstring::npos ? path.size() : end + 1;
}

// The folders from the volume's root down to the path, each as a path.
std::vector<std::wstring> Steps(std::wstring path) {
    while (path.size() > RootLength(path) && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    std::vector<std::wstring> steps;
    const std::size_t root = RootLength(path);
    if (root == 0) return {path};
    steps.push_back(path.substr(0, root));
    for (std::size_t at = root; at < path.size();) {
        const std::size_t end = std::min(path.find(L'\\', at), path.size());
        steps.push_back(path.substr(0, end));
        at = end + 1;
    }
    if (steps.size() > 1 && steps.front().size() == path.size()) steps.pop_back();
    return steps;
}

// The folder's path with every link resolved, as Windows resolves it;
// the path itself when it cannot say.
std::wstring FinalPath(const std::wstring& folder) {
    const rt::UniqueHandle h(::CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    wchar_t final[MAX_PATH * 4] = {};
    if (!h || ::GetFinalPathNameByHandleW(h.get(), final, MAX_PATH * 4, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS) == 0) {
        return folder;
    }
    std::wstring path = final;
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + path.substr(8);
    if (path.compare(0, 4, L"\\\\?\\") == 0) return path.substr(4);
    return path;
}

// Everything on the way to what a run as the local system account starts:
// the links on the path as given, the folders from the root down to the
// program folder as Windows resolves it, the files it starts or loads, and
// the logs folder.
std::vector<SecuredObject> ObjectsOnTheWay(const std::wstring& folder) {
    std::vector<SecuredObject> objects;
    const std::wstring final = FinalPath(folder);
    if (_wcsicmp(final.c_str(), folder.c_str()) != 0) {
        const std::vector<std::wstring> given = Steps(folder);
        for (std::size_t i = 0; i < given.size(); ++i) {
            if (IsLink(given[i])) {
                objects.push_back(Read(given[i], SecuredObject::Link));
            } else if (i + 1 < given.size()) {
                objects.push_back(Read(given[i], SecuredObject::Above));
            }
        }
    }
    const std::vector<std::wstring> steps = Steps(final);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        objects.push_back(Read(steps[i], i + 1 < steps.size() ? SecuredObject::Above : SecuredObject::Folder));
    }
    const auto present = [&](const std::wstring& name, SecuredObject::Role role) {
        const std::wstring path = rt::JoinPath(final, name);
        if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) objects.push_back(Read(path, role));
    };
    for (const wchar_t* name : {L"OrvaneScheduledRestart.exe", L"kill.exe", L"reboot.bat"}) {
        present(name, SecuredObject::File);
    }
    WIN32_FIND_DATAW found{};
    const HANDLE first = ::FindFirstFileW(rt::JoinPath(final, L"OrvaneScheduledRestart_*.dll").c_str(), &found);
    if (first != INVALID_HANDLE_VALUE) {
        const rt::UniqueFind find(first);
        do {
            present(found.cFileName, SecuredObject::File);
        } while (::FindNextFileW(first, &found));
    }
    present(L"logs", SecuredObject::Folder);
    return objects;
}

}  // namespace

std::wstring AccountName(void* sid) {
    wchar_t name[256] = {}, domain[256] = {};
    DWORD nameSize = 256, domainSize = 256;
    SID_NAME_USE use{};
    if (!::LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use)) {
        return rt::FromUtf8(SidText(sid));
    }
    return *domain ? std::wstring(domain) + L"\\" + name : std::wstring(name);
}

std::wstring CurrentAccountName() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    const rt::UniqueHandle owner(token);
    BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE] = {};
    DWORD size = 0;
    if (!::GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size)) return {};
    return AccountName(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);
}

namespace {

std::wstring WritersBesidesAdmins(const std::vector<SecuredObject>& objects) {
    std::wstring said;
    for (const Finding& f : UntrustedWays(objects, AdminMembers())) {
        std::wstring who = L"anyone";
        if (!f.sid.empty()) {
            PSID sid = nullptr;
            if (::ConvertStringSidToSidW(rt::FromUtf8(f.sid).c_str(), &sid)) {
                const UniqueLocal owner(sid);
                who = AccountName(sid);
            } else {
                who = rt::FromUtf8(f.sid);
            }
        }
        said += (said.empty() ? L"" : L"; ") + who + L" (" + rt::FromUtf8(f.path) + L": " + rt::FromUtf8(f.what) + L")";
    }
    return said;
}

}  // namespace

std::wstring FolderWritersBesidesAdmins(const std::wstring& folder) { return WritersBesidesAdmins(ObjectsOnTheWay(folder)); }

std::wstring KeyWritersBesidesAdmins(void* key, const std::wstring& name) {
    SecuredObject o;
    o.role = SecuredObject::Key;
    o.path = rt::ToUtf8(name);
    return WritersBesidesAdmins({ReadSecurity(key, SE_REGISTRY_KEY, std::move(o))});
}
