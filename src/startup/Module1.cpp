#include "startup/Module1.h"

#include <windows.h>

#include "config/CommandLine.h"
#include "config/frmConfigure.h"
#include "logging/modLogging.h"
#include "process/ProgramEnd.h"
#include "restart/frmRestart.h"
#include "core/ActionValues.h"
#include "runtime/Dialogs.h"
#include "runtime/ErrorReporting.h"

namespace {

void ReportUnattendedBox(const std::wstring& text) {
    TheRunOutcome.failed = true;
    if (LogFileNumber != 0) rt::ContinueSilently([&] { WriteLogLine(L"(error) message box: " + text, true); });
    rt::ContinueSilently([&] { TheRestartForm().EventLog().LogErrorEvent(5, text); });
}

}  // namespace

void MakeRunUnattended(unsigned closeAfterMs) { rt::MakeBoxesUnattended(&ReportUnattendedBox, closeAfterMs); }

void Main() {
    const std::wstring arguments = ProgramArguments();
    if (NamesAnAction(arguments)) MakeRunUnattended();
    if (NamesRestartWindow(arguments)) {
        // RestartAction stays 0: the restart window restarts the product only.
        TheRestartForm().Show(rt::ShowMode::Modeless);
    } else if (NamesBootCheck(arguments)) {
        MakeRunUnattended();
        TheRestartForm().ShowBootCheck();
    } else {
        TheConfigureForm().Show(rt::ShowMode::Modeless);
    }
}
