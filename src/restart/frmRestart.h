// The countdown window of a restart run.
#pragma once

#include "runtime/Forms.h"

class frmRestart : public rt::Form {
public:
    frmRestart();

protected:
    void Form_Load() override;
    void Form_Unload(bool& cancel) override;

private:
    void frmRestart_Auto_Init();
    void cmdCancel_Click();
};

frmRestart& TheRestartForm();
