// Rules of the task property dialog that need no Windows: what OK does with
// the account a task runs as, and which schedules the dialog may edit.
#pragma once

#include <optional>
#include <string>

// The dialog's account options; None when the stored account could not be
// read and the administrator has not picked one.
enum class AccountChoice { None, System, Named };
enum class AccountAction { Keep, SetSystem, SetNamed };

// stored: the account as read (empty: the local system account), nothing
// when the system would not say. Only a change the administrator made
// reaches the task: an unread account, or a named one whose password was not
// typed again, keeps its stored credentials.
AccountAction AccountOnOk(const std::optional<std::wstring>& stored, AccountChoice choice,
                          const std::wstring& typedName, bool passwordTyped);

// The string that tells the administrator what OK will do.
int AccountNoteId(AccountAction action);

// The dialog edits one daily trigger; anything else it shows and keeps.
bool ScheduleEditable(unsigned triggerCount, bool firstIsDaily);
