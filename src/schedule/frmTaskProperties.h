// The property dialog of one scheduled task: daily start time, every N days,
// begin date, enabled, and the account the task runs as. OK saves only what
// the administrator changed (a save through Task Scheduler 1.0 drops the
// settings only 2.0 knows): any other schedule is shown and kept, and an
// account is only written when changed.
#pragma once

#include <optional>
#include <string>

#include "runtime/Forms.h"
#include "schedule/TaskRules.h"

class ScheduledTask;

class frmTaskProperties : public rt::Form {
public:
    explicit frmTaskProperties(ScheduledTask& task);

protected:
    void Form_Load() override;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void frmTaskProperties_Auto_Init();
    void AccountChoiceClicked();
    AccountAction PendingAccountAction();
    void cmdOK_Click();

    ScheduledTask& task_;
    bool editSchedule_ = true;
    DailySchedule shownSchedule_;        // as the fields showed it
    std::optional<bool> storedEnabled_;  // nothing: could not be read, and is kept
    std::optional<std::wstring> storedAccount_;
};
