// The countdown window of a restart run.
#pragma once

#include <memory>

#include "machine/EventLog.h"
#include "restart/RestartSequences.h"
#include "runtime/Forms.h"

class frmRestart : public rt::Form {
public:
    frmRestart();
    ~frmRestart() override;

    // The window's event logger, created at its first use.
    EventLogger& EventLog();
    // "/Verify": the check after a reboot, in this window, then the end.
    void ShowBootCheck();

protected:
    void Form_Load() override;
    void Form_Unload(bool& cancel) override;

private:
    class Host;
    void frmRestart_Auto_Init();
    void Timer1_Timer();
    void cmdCancel_Click();

    std::unique_ptr<Host> host_;
    std::unique_ptr<RestartCountdown> countdown_;
    std::unique_ptr<EventLogger> eventLog_;
    bool bootCheck_ = false;
};

frmRestart& TheRestartForm();
