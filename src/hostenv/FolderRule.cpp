#include "hostenv/FolderRule.h"

#include <algorithm>
#include <iterator>

namespace {

// The access bits, as Windows numbers them.
constexpr std::uint32_t kAddFile = 0x2;          // FILE_ADD_FILE / FILE_WRITE_DATA
constexpr std::uint32_t kAddSubfolder = 0x4;     // FILE_ADD_SUBDIRECTORY / FILE_APPEND_DATA
constexpr std::uint32_t kWriteEa = 0x10;         // FILE_WRITE_EA
constexpr std::uint32_t kDeleteChild = 0x40;     // FILE_DELETE_CHILD
constexpr std::uint32_t kWriteAttributes = 0x100;
constexpr std::uint32_t kDelete = 0x10000;       // DELETE
constexpr std::uint32_t kWriteDac = 0x40000;     // WRITE_DAC
constexpr std::uint32_t kWriteOwner = 0x80000;   // WRITE_OWNER
constexpr std::uint32_t kMaximumAllowed = 0x02000000;
constexpr std::uint32_t kGenericAll = 0x10000000;
constexpr std::uint32_t kGenericWrite = 0x40000000;

constexpr const char* kTrusted[] = {
    "S-1-5-18",      // the local system account
    "S-1-5-32-544",  // Administrators
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",  // TrustedInstaller
    "S-1-3-0",       // CREATOR OWNER: stands for whoever creates an item, an administrator here
    "S-1-3-4",       // OWNER RIGHTS: the owner, who is checked on its own
};

// The rights an entry gives, with the generic ones as a file system maps them.
std::uint32_t Effective(std::uint32_t mask) {
    if (mask & (kGenericAll | kMaximumAllowed)) return 0xFFFFFFFFu;
    if (mask & kGenericWrite) mask |= kAddFile | kAddSubfolder | kWriteEa | kWriteAttributes;
    return mask;
}

struct Right {
    std::uint32_t bit;
    const char* what;
};
// What each right lets a holder do, by the object's role.
constexpr Right kFolderRights[] = {
    {kAddFile, "may add files to it"},       {kAddSubfolder, "may add folders to it"},
    {kDeleteChild, "may delete what is in it"}, {kDelete, "may delete or rename it"},
    {kWriteDac, "may change its permissions"}, {kWriteOwner, "may take it over"},
};
constexpr Right kAboveRights[] = {
    {kDeleteChild, "may delete or rename what is in it"}, {kDelete, "may delete or rename it"},
    {kWriteDac, "may change its permissions"}, {kWriteOwner, "may take it over"},
};
constexpr Right kFileRights[] = {
    {kAddFile, "may change it"}, {kAddSubfolder, "may change it"}, {kDelete, "may delete or replace it"},
    {kWriteDac, "may change its permissions"}, {kWriteOwner, "may take it over"},
};
constexpr Right kLinkRights[] = {
    {kAddFile, "may point it elsewhere"}, {kWriteAttributes, "may point it elsewhere"},
    {kDelete, "may delete or replace it"}, {kWriteDac, "may change its permissions"}, {kWriteOwner, "may take it over"},
};

// KEY_SET_VALUE, KEY_CREATE_SUB_KEY (the file bits above), KEY_CREATE_LINK.
constexpr std::uint32_t kCreateLink = 0x20;
constexpr Right kKeyRights[] = {
    {kAddFile, "may change its values"}, {kAddSubfolder, "may add keys to it"}, {kCreateLink, "may link it elsewhere"},
    {kDelete, "may delete it"}, {kWriteDac, "may change its permissions"}, {kWriteOwner, "may take it over"},
};

template <std::size_t N>
std::string What(std::uint32_t mask, const Right (&rights)[N]) {
    std::string what;
    for (const Right& r : rights) {
        if ((mask & r.bit) && what.find(r.what) == std::string::npos) what += (what.empty() ? "" : ", ") + std::string(r.what);
    }
    return what;
}

std::string WhatOf(SecuredObject::Role role, std::uint32_t mask) {
    switch (role) {
    case SecuredObject::Folder: return What(mask, kFolderRights);
    case SecuredObject::Above: return What(mask, kAboveRights);
    case SecuredObject::File: return What(mask, kFileRights);
    case SecuredObject::Link: return What(mask, kLinkRights);
    case SecuredObject::Key: return What(mask, kKeyRights);
    }
    return {};
}

}  // namespace

bool GrantsChange(std::uint32_t mask) { return !WhatOf(SecuredObject::Folder, Effective(mask)).empty(); }

std::vector<Finding> UntrustedWays(const std::vector<SecuredObject>& objects,
                                   const std::vector<std::string>& adminMembers) {
    const auto trusted = [&](const std::string& sid) {
        return std::find(std::begin(kTrusted), std::end(kTrusted), sid) != std::end(kTrusted) ||
               std::find(adminMembers.begin(), adminMembers.end(), sid) != adminMembers.end();
    };
    std::vector<Finding> found;
    for (const SecuredObject& o : objects) {
        if (!o.unreadable.empty()) {
            found.push_back({"", o.path, "its permissions cannot be read: " + o.unreadable});
            continue;
        }
        // The owner may always rewrite the permissions.
        if (!trusted(o.owner)) found.push_back({o.owner, o.path, "owns it"});
        if (o.noDacl) {
            found.push_back({"", o.path, "has no permissions set, so anyone may change it"});
            continue;
        }
        for (const AccessEntry& e : o.entries) {
            // Inherit-only entries are for what is made inside later; deny
            // entries only take rights away, from whoever they name.
            if (e.inheritOnly || e.kind == AccessEntry::Deny) continue;
            if (e.kind == AccessEntry::Unread) {
                found.push_back({e.sid, o.path, "has an allow entry of a kind this check cannot read"});
                continue;
            }
            if (trusted(e.sid)) continue;
            if (std::string what = WhatOf(o.role, Effective(e.mask)); !what.empty()) {
                found.push_back({e.sid, o.path, std::move(what)});
            }
        }
    }
    return found;
}
