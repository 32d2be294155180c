// Who may change a folder from which tasks run as the local system account:
// the rule over its access entries, with SIDs as text. Portable core.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct AccessEntry {
    std::string sid;  // "S-1-5-32-545"
    bool allow = true;
    std::uint32_t mask = 0;
};

// Rights that let the holder replace, add or delete what is in the folder,
// or change who may.
bool GrantsChange(std::uint32_t mask);

// The SIDs of allow entries that grant a change to anyone but the local
// system account, Administrators, TrustedInstaller, CREATOR OWNER and the
// given members of the local Administrators group; each once, in order.
std::vector<std::string> UntrustedWriters(const std::vector<AccessEntry>& entries,
                                          const std::vector<std::string>& adminMembers);
