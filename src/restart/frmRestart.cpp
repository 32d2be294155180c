#include "restart/frmRestart.h"

#include "localize/RestartResCONST.h"
#include "localize/modLocalize.h"
#include "runtime/ErrorReporting.h"
#include "startup/Module1.h"

namespace {
// Client area and control positions in twips, as designed.
constexpr int kClientWidth = 5430;
constexpr int kClientHeight = 2310;
}  // namespace

frmRestart::frmRestart() : rt::Form(L"frmRestart", L"Restart System", kClientWidth, kClientHeight) {
    AddTimer(L"Timer1", 1000);
    Add(rt::ControlKind::Button, L"cmdCancel", L"Cancel Action", {1740, 1800, 2115, 435}).Click = [this] {
        cmdCancel_Click();
    };
    Add(rt::ControlKind::Label, L"Label3", L"Seconds", {2160, 780, 1995, 255});
    Add(rt::ControlKind::Label, L"lblSeconds", L"20", {1800, 780, 255, 255});
    Add(rt::ControlKind::Label, L"lblStatus", L"Shutting down Orvane in:", {180, 360, 4695, 195});
    Publish(L"frmRestart_Auto_Init", [this] { frmRestart_Auto_Init(); });
}

void frmRestart::frmRestart_Auto_Init() {
    SetFormLanguageFonts(*this);
    const auto caption = [this](auto&& assign) {
        rt::ContinueAfterProcedureBox(L"frmRestart_Auto_Init", rt::ErrorScope::Form, L"frmRestart", assign);
    };
    caption([this] { SetCaption(mymyLoadString(IDS_RESTART_SYSTEM)); });
    caption([this] { (*this)[L"cmdCancel"].SetCaption(mymyLoadString(IDS_CANCEL_ACTION)); });
    caption([this] { (*this)[L"Label3"].SetCaption(mymyLoadString(IDS_SECONDS)); });
    caption([this] { (*this)[L"lblStatus"].SetCaption(mymyLoadString(IDS_SHUTTING_DOWN_IN)); });
}

void frmRestart::Form_Load() { frmRestart_Auto_Init(); }

void frmRestart::Form_Unload(bool&) { EndProgram(); }

void frmRestart::cmdCancel_Click() { EndProgram(); }

frmRestart& TheRestartForm() {
    static frmRestart form;
    return form;
}
