// The program folder's permissions, read for the runs that go as the local
// system account.
#pragma once

#include <string>

// Who besides administrators may change what a run from this folder starts,
// each as "Everyone (C:\Tools: may delete or rename it)", joined by "; ";
// empty when nobody. It reads the owners and entries of the folders from the
// volume's root down to the folder (with links resolved, and the links on the
// way as themselves), the files a run starts or loads, and the logs folder.
// Anything that cannot be read counts as changeable, with the reason.
std::wstring FolderWritersBesidesAdmins(const std::wstring& folder);

// "DOMAIN\name" of an account (its SID as text when it has no name), and of
// the account this process runs as.
std::wstring AccountName(void* sid);  // a PSID
std::wstring CurrentAccountName();

// Who besides administrators may change an open registry key (its owner and
// entries, as the folder rule reads them), named as above; empty: nobody.
std::wstring KeyWritersBesidesAdmins(void* key, const std::wstring& name);  // an HKEY
