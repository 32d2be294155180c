// Who may change what a task running as the local system account starts:
// the rule over the owners and access entries of every object on the way,
// with SIDs as text. Portable core.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct AccessEntry {
    enum Kind { Allow, Deny, Unread } kind = Allow;  // Unread: an allow entry of a type the rule does not read
    std::string sid;                                 // "S-1-5-32-545"
    std::uint32_t mask = 0;
    bool inheritOnly = false;  // for the items made inside only, not for the object itself
};

// One object on the way, as its security reads.
struct SecuredObject {
    // The program folder (or the logs folder) itself; a folder above it, up
    // to the volume's root; a file a run starts or loads; a link on the way;
    // a registry key whose values a run trusts.
    enum Role { Folder, Above, File, Link, Key } role = Folder;
    std::string path;
    std::string unreadable;  // why its security cannot be read; empty when read
    bool noDacl = false;     // a NULL DACL: everyone may do anything
    std::string owner;
    std::vector<AccessEntry> entries;
};

// Rights that let the holder replace, add or delete what is in the folder,
// or change who may.
bool GrantsChange(std::uint32_t mask);

// One way in for someone else than the local system account,
// Administrators, TrustedInstaller and the given members of the local
// Administrators group.
struct Finding {
    std::string sid;   // empty: anyone (unread, no DACL, an entry not read)
    std::string path;
    std::string what;  // "owner", "may add or replace files", ...
};
std::vector<Finding> UntrustedWays(const std::vector<SecuredObject>& objects,
                                   const std::vector<std::string>& adminMembers);
