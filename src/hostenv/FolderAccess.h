// The program folder's permissions, read for the runs that go as the local
// system account.
#pragma once

#include <string>

// Who besides administrators may change the folder, by account name
// ("Everyone", "BUILTIN\Users"), joined by ", "; empty when nobody. A folder
// whose permissions cannot be read counts as changeable, with the reason.
std::wstring FolderWritersBesidesAdmins(const std::wstring& folder);
