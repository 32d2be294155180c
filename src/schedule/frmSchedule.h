// The scheduled-task manager: the system's tasks, their details, and a new
// task that runs this program with the configuration window's choice.
#pragma once

#include "runtime/Forms.h"

class frmConfigure;
class ScheduledTasks;

class frmSchedule : public rt::Form {
public:
    explicit frmSchedule(frmConfigure& configure);

    void RefreshList();

protected:
    void Form_Load() override;

private:
    void frmSchedule_Auto_Init();
    void lstTasks_Click();
    void cmdNew_Click();
    void cmdProps_Click();
    void cdmDelete_Click();
    ScheduledTasks& objTasks();  // created on first use, kept for the process

    frmConfigure& configure_;
};
