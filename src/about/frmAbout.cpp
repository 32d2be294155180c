#include "about/frmAbout.h"

#include "localize/RestartResCONST.h"
#include "localize/modLocalize.h"
#include "runtime/ErrorReporting.h"

frmDetails::frmDetails() : rt::Form(L"frmDetails", L"Help", 7200, 5400) {
    Publish(L"frmDetails_Auto_Init", [this] { frmDetails_Auto_Init(); });
}

void frmDetails::frmDetails_Auto_Init() {
    rt::ContinueSilently([this] { SetFormLanguageFonts(*this); });
    rt::ContinueSilently([this] { SetCaption(mymyLoadString(IDS_HELP)); });
}

void frmDetails::Form_Load() { frmDetails_Auto_Init(); }

frmAbout::frmAbout() : rt::Form(L"frmAbout", L"About", 5400, 3600, rt::Form::kFixedDialog) {
    Publish(L"frmAbout_Auto_Init", [this] { frmAbout_Auto_Init(); });
}

void frmAbout::frmAbout_Auto_Init() {
    rt::ContinueSilently([this] { SetFormLanguageFonts(*this); });
    rt::ContinueSilently([this] { SetCaption(mymyLoadString(IDS_ABOUT)); });
}

void frmAbout::Form_Load() { frmAbout_Auto_Init(); }

// Closing only hides it, as its OK button will.
void frmAbout::Form_Unload(bool& cancel) {
    cancel = true;
    Hide();
}

frmDetails& TheDetailsForm() {
    static frmDetails form;
    return form;
}

frmAbout& TheAboutForm() {
    static frmAbout form;
    return form;
}
