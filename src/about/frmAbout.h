// The help viewer and the About window. For now each opens as a plain window
// with its caption; their contents come later.
#pragma once

#include "runtime/Forms.h"

class frmDetails : public rt::Form {
public:
    frmDetails();

protected:
    void Form_Load() override;

private:
    void frmDetails_Auto_Init();
};

class frmAbout : public rt::Form {
public:
    frmAbout();

protected:
    void Form_Load() override;
    void Form_Unload(bool& cancel) override;

private:
    void frmAbout_Auto_Init();
};

frmDetails& TheDetailsForm();
frmAbout& TheAboutForm();
