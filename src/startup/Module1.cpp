#include "startup/Module1.h"

#include <windows.h>

#include "config/CommandLine.h"
#include "config/frmConfigure.h"
#include "logging/modLogging.h"
#include "localize/RestartResCONST.h"
#include "localize/modLocalize.h"
#include "process/ProgramEnd.h"
#include "restart/NightControl.h"
#include "preview/PreviewReader.h"
#include "preview/frmPreview.h"
#include "restart/frmRestart.h"
#include "core/ActionValues.h"
#include "runtime/Dialogs.h"
#include "runtime/ErrorReporting.h"
#include "runtime/StdOutput.h"
#include "runtime/Text.h"
#include "schedule/TaskCommand.h"

namespace {

void ReportUnattendedBox(const std::wstring& text) {
    TheRunOutcome.failed = true;
    if (LogFileNumber != 0) rt::ContinueSilently([&] { WriteLogLine(L"(error) message box: " + text, true); });
    rt::ContinueSilently([&] { TheRestartForm().EventLog().LogErrorEvent(5, text); });
}

// Line ends as a console and an edit control want them.
std::wstring WithCrLf(const std::wstring& text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) out += L'\r';
        out += text[i];
    }
    return out;
}

// "/Preview ACTION": the plan and the verdict where the administrator ran
// it (the standard output, else the starting console, else a window), and
// the verdict's exit code. Nothing is stopped, started, locked or logged.
[[noreturn]] void RunPreview(const std::wstring& arguments) {
    rt::ContinueSilently([] { InitalizeLanguages(); });
    const ActionRequest request = ParsePreview(arguments);
    std::wstring text = WithCrLf(mymyLoadString(IDS_PV_USAGE)) + L"\r\n";
    std::wstring caption = mymyLoadString(IDS_PREVIEW);
    int exitCode = 1;
    if (request.valid) {
        try {
            const PreviewReport report = PreviewOf(request.line, request.action, request.services);
            text = PreviewText(report.lines);
            caption = rt::FromUtf8(Fill(rt::ToUtf8(mymyLoadString(IDS_PV_CAPTION)), {request.line}));
            exitCode = report.exitCode;
        } catch (const std::exception& e) {
            text = rt::FromUtf8(e.what()) + L"\r\n";
        }
    }
    if (!rt::WriteStandardOutput(text)) ShowPreviewWindow(caption, text);
    EndProgram(exitCode);
}

// "/Schedule", "/Unschedule", "/Tasks": the result where the administrator
// ran it, and its exit code; no window.
[[noreturn]] void RunTaskVerbLine(const std::wstring& arguments) {
    rt::ContinueSilently([] { InitalizeLanguages(); });
    const TaskVerb verb = ParseTaskVerb(arguments);
    VerbResult result = RunTaskVerb(verb);
    // On the standard error, so that the table stays a clean table for scripts.
    if (verb.kind == TaskVerb::Tasks && result.exitCode == 0) {
        if (const std::wstring skip = PendingSkipText(); !skip.empty()) result.notes += skip + L"\r\n";
    }
    rt::WriteStandardOutput(result.text);
    if (!result.notes.empty()) rt::WriteStandardError(result.notes);
    EndProgram(result.exitCode);
}

// "/Cancel", "/Skip", "/Skip:Off": alone on the line, else the usage and 1.
[[noreturn]] void RunControlLine(const std::wstring& arguments) {
    ControlResult result{rt::FromUtf8(kRunControlUsage), 1};
    switch (ParseRunControl(arguments)) {
    case RunControlVerb::Cancel: result = RunCancel(); break;
    case RunControlVerb::Skip: result = RunSkip(true); break;
    case RunControlVerb::SkipOff: result = RunSkip(false); break;
    case RunControlVerb::Invalid: break;
    }
    rt::WriteStandardOutput(result.text);
    EndProgram(result.exitCode);
}

}  // namespace

void MakeRunUnattended(unsigned closeAfterMs) { rt::MakeBoxesUnattended(&ReportUnattendedBox, closeAfterMs); }

void Main() {
    const std::wstring arguments = ProgramArguments();
    // A verb line never restarts, even when it holds the word "restart".
    switch (RouteOf(arguments)) {
    case Route::TaskVerb: RunTaskVerbLine(arguments);
    case Route::Preview: RunPreview(arguments);
    case Route::Cancel:
    case Route::Skip: RunControlLine(arguments);
    case Route::RestartWindow:
        // RestartAction stays 0: the restart window restarts the product only.
        MakeRunUnattended();
        TheRestartForm().Show(rt::ShowMode::Modeless);
        break;
    case Route::BootCheck:
        MakeRunUnattended();
        TheRestartForm().ShowBootCheck();
        break;
    case Route::Configure:
        if (NamesAnAction(arguments)) MakeRunUnattended();
        TheConfigureForm().Show(rt::ShowMode::Modeless);
        break;
    }
}
