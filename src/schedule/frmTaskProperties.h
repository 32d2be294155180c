// The property dialog of one scheduled task: daily start time, every N days,
// begin date, enabled, and the account the task runs as. OK saves.
#pragma once

#include "runtime/Forms.h"

class ScheduledTask;

class frmTaskProperties : public rt::Form {
public:
    explicit frmTaskProperties(ScheduledTask& task);
    bool Saved() const { return saved_; }

protected:
    void Form_Load() override;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void frmTaskProperties_Auto_Init();
    void AccountChoiceClicked();
    void cmdOK_Click();

    ScheduledTask& task_;
    bool saved_ = false;
};
