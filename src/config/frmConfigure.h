// The configuration window: where an administrator picks and schedules an action.
#pragma once

#include "runtime/Forms.h"

class frmConfigure : public rt::Form {
public:
    frmConfigure();

protected:
    void Form_Load() override;
    void Form_Unload(bool& cancel) override;

private:
    void frmConfigure_Auto_Init();
};

frmConfigure& TheConfigureForm();
