#include "config/frmConfigure.h"

#include "config/CommandLine.h"
#include "localize/RestartResCONST.h"
#include "localize/modLocalize.h"
#include "restart/frmRestart.h"
#include "runtime/ErrorReporting.h"
#include "startup/ActionValues.h"
#include "startup/Module1.h"

frmConfigure::frmConfigure()
    : rt::Form(L"frmConfigure", L"Configure Scheduled Restart Options", 6180, 3930, rt::Form::kFixedDialog) {
    Publish(L"frmConfigure_Auto_Init", [this] { frmConfigure_Auto_Init(); });
}

void frmConfigure::frmConfigure_Auto_Init() {
    rt::ContinueAfterProcedureBox(L"frmConfigure_Auto_Init", rt::ErrorScope::Form, L"frmConfigure",
                                  [this] { SetCaption(mymyLoadString(IDS_CONFIGURE_CAPTION)); });
}

void frmConfigure::Form_Load() {
    rt::ContinueSilently([] { InitalizeLanguages(); });
    rt::ContinueSilently([this] { frmConfigure_Auto_Init(); });
    rt::ContinueSilently([] { ParseCommandLine(ProgramArguments()); });
    // A scheduled "/Reboot" or "/Bounce" runs from here; the restart window
    // ends the program, so this window is never seen.
    rt::ContinueSilently([] {
        if (RestartAction != ActionNone) TheRestartForm().Show(rt::ShowMode::Modal);
    });
}

void frmConfigure::Form_Unload(bool&) { EndProgram(); }

frmConfigure& TheConfigureForm() {
    static frmConfigure form;
    return form;
}
