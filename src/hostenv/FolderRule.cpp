#include "hostenv/FolderRule.h"

#include <algorithm>

namespace {

// The access bits, as Windows numbers them.
constexpr std::uint32_t kAddFile = 0x2;          // FILE_ADD_FILE / FILE_WRITE_DATA
constexpr std::uint32_t kAddSubfolder = 0x4;     // FILE_ADD_SUBDIRECTORY / FILE_APPEND_DATA
constexpr std::uint32_t kDeleteChild = 0x40;     // FILE_DELETE_CHILD
constexpr std::uint32_t kDelete = 0x10000;       // DELETE
constexpr std::uint32_t kWriteDac = 0x40000;     // WRITE_DAC
constexpr std::uint32_t kWriteOwner = 0x80000;   // WRITE_OWNER
constexpr std::uint32_t kGenericAll = 0x10000000;
constexpr std::uint32_t kGenericWrite = 0x40000000;

constexpr const char* kTrusted[] = {
    "S-1-5-18",      // the local system account
    "S-1-5-32-544",  // Administrators
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",  // TrustedInstaller
    "S-1-3-0",       // CREATOR OWNER: stands for whoever creates an item, an administrator here
};

}  // namespace

bool GrantsChange(std::uint32_t mask) {
    return (mask & (kAddFile | kAddSubfolder | kDeleteChild | kDelete | kWriteDac | kWriteOwner | kGenericAll |
                    kGenericWrite)) != 0;
}

std::vector<std::string> UntrustedWriters(const std::vector<AccessEntry>& entries,
                                          const std::vector<std::string>& adminMembers) {
    std::vector<std::string> writers;
    for (const AccessEntry& e : entries) {
        if (!e.allow || !GrantsChange(e.mask)) continue;
        const bool trusted = std::find(std::begin(kTrusted), std::end(kTrusted), e.sid) != std::end(kTrusted) ||
                             std::find(adminMembers.begin(), adminMembers.end(), e.sid) != adminMembers.end();
        if (!trusted && std::find(writers.begin(), writers.end(), e.sid) == writers.end()) writers.push_back(e.sid);
    }
    return writers;
}
