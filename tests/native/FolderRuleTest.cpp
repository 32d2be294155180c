// Who may change what a run as the local system account starts: one row per
// right, role and kind of entry, and the default permissions of an install
// under Program Files, which no one but administrators may change.
#include <gtest/gtest.h>

#include "hostenv/FolderRule.h"

namespace {

constexpr const char* kUsers = "S-1-5-32-545";
constexpr const char* kAdmin = "S-1-5-21-1-2-3-500";   // a member of Administrators
constexpr const char* kBob = "S-1-5-21-1-2-3-1001";    // a standard user
constexpr const char* kInstaller = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

using Role = SecuredObject::Role;
AccessEntry Allow(const char* sid, std::uint32_t mask, bool inheritOnly = false) {
    return {AccessEntry::Allow, sid, mask, inheritOnly};
}
SecuredObject Object(Role role, std::vector<AccessEntry> entries, const char* owner = "S-1-5-32-544") {
    return {role, "P", "", false, owner, std::move(entries)};
}

TEST(FolderRule, EachRightEachRoleAndEachKindOfEntry) {
    using S = std::vector<std::string>;
    const std::string users = std::string(kUsers) + ": ";
    // As an MSI install under Program Files inherits them.
    const std::vector<AccessEntry> programFiles = {
        Allow(kInstaller, 0x1F01FF), Allow("S-1-5-18", 0x1F01FF), Allow("S-1-5-32-544", 0x1F01FF),
        Allow(kUsers, 0x1200A9),     Allow("S-1-3-0", 0x10000000, true), Allow("S-1-15-2-1", 0x1200A9),
        Allow("S-1-5-32-545", 0xA0000000, true),
    };
    const SecuredObject unknown = Object(Role::Folder, {{AccessEntry::Unread, "", 0, false}});
    const SecuredObject noDacl{Role::Folder, "P", "", true, "S-1-5-32-544", {}};
    const SecuredObject unreadable{Role::Above, "P", "Access is denied.", false, "", {}};
    const struct {
        const char* what;
        std::vector<SecuredObject> objects;
        S said;
    } rows[] = {
        {"Program Files, as installed", {Object(Role::Above, programFiles, kInstaller), Object(Role::Folder, programFiles),
                                         Object(Role::File, programFiles)}, {}},
        {"read and run", {Object(Role::Folder, {Allow(kUsers, 0x1200A9)})}, {}},
        {"add files", {Object(Role::Folder, {Allow(kUsers, 0x2)})}, {users + "may add files to it"}},
        {"create folders / append data", {Object(Role::Folder, {Allow(kUsers, 0x4)})}, {users + "may add folders to it"}},
        {"delete what is inside", {Object(Role::Folder, {Allow(kUsers, 0x40)})}, {users + "may delete what is in it"}},
        {"delete", {Object(Role::Folder, {Allow(kUsers, 0x10000)})}, {users + "may delete or rename it"}},
        {"change permissions", {Object(Role::Folder, {Allow(kUsers, 0x40000)})}, {users + "may change its permissions"}},
        {"take ownership", {Object(Role::Folder, {Allow(kUsers, 0x80000)})}, {users + "may take it over"}},
        {"attributes and extended attributes", {Object(Role::Folder, {Allow(kUsers, 0x110)})}, {}},
        {"generic write", {Object(Role::Folder, {Allow(kUsers, 0x40000000)})},
         {users + "may add files to it, may add folders to it"}},
        {"generic all", {Object(Role::Folder, {Allow(kUsers, 0x10000000)})},
         {users + "may add files to it, may add folders to it, may delete what is in it, may delete or rename it, "
                  "may change its permissions, may take it over"}},
        {"inherit-only: for what is made inside later", {Object(Role::Folder, {Allow(kUsers, 0x10000000, true)})}, {}},
        {"a deny entry takes nothing from an allow entry", {Object(Role::Folder, {{AccessEntry::Deny, kUsers, 0x2, false},
                                                                                  Allow(kUsers, 0x2)})},
         {users + "may add files to it"}},
        {"a member of Administrators", {Object(Role::Folder, {Allow(kAdmin, 0x1F01FF)}, kAdmin)}, {}},
        {"a user who is not", {Object(Role::Folder, {Allow(kBob, 0x1F01FF)})},
         {std::string(kBob) + ": may add files to it, may add folders to it, may delete what is in it, "
                              "may delete or rename it, may change its permissions, may take it over"}},
        {"the owner: a user who unpacked a ZIP", {Object(Role::Folder, {}, kBob)}, {std::string(kBob) + ": owns it"}},
        {"the owner of a folder above", {Object(Role::Above, {}, kBob)}, {std::string(kBob) + ": owns it"}},
        {"an entry of a kind not read", {unknown}, {": has an allow entry of a kind this check cannot read"}},
        {"no DACL", {noDacl}, {": has no permissions set, so anyone may change it"}},
        {"unreadable", {unreadable}, {": its permissions cannot be read: Access is denied."}},
        {"above: create folders (the root of C:)", {Object(Role::Above, {Allow(kUsers, 0x6)})}, {}},
        {"above: delete what is inside", {Object(Role::Above, {Allow(kUsers, 0x40)})},
         {users + "may delete or rename what is in it"}},
        {"above: change permissions", {Object(Role::Above, {Allow(kUsers, 0x40000)})}, {users + "may change its permissions"}},
        {"a file: write", {Object(Role::File, {Allow(kUsers, 0x2)})}, {users + "may change it"}},
        {"a link: its attributes", {Object(Role::Link, {Allow(kUsers, 0x100)})}, {users + "may point it elsewhere"}},
        // A registry key: read (KEY_READ) is no way in; set a value, add a key, a link, or GENERIC_WRITE is.
        {"a key: read", {Object(Role::Key, {Allow(kUsers, 0x20019)})}, {}},
        {"a key: set a value, add a key", {Object(Role::Key, {Allow(kUsers, 0x20006)})},
         {users + "may change its values, may add keys to it"}},
        {"a key: link", {Object(Role::Key, {Allow(kUsers, 0x20)})}, {users + "may link it elsewhere"}},
        {"a key: generic write", {Object(Role::Key, {Allow(kUsers, 0x40000000)})},
         {users + "may change its values, may add keys to it"}},
    };
    for (const auto& row : rows) {
        std::vector<std::string> said;
        for (const Finding& f : UntrustedWays(row.objects, {kAdmin})) said.push_back(f.sid + ": " + f.what);
        EXPECT_EQ(said, row.said) << row.what;
    }
}

}  // namespace
