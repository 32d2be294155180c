// The configuration window: where an administrator picks and schedules an action.
#pragma once

#include <string>
#include <vector>

#include "runtime/Forms.h"

class frmConfigure : public rt::Form {
public:
    frmConfigure();

    // The scheduled command line of the current choice.
    std::wstring strConstructCommandLine();
    // Enables the four service boxes; never changes a tick.
    void EnableServiceCheckBoxes(bool enabled);

protected:
    void Form_Load() override;
    void Form_Unload(bool& cancel) override;

private:
    void frmConfigure_Auto_Init();
    void OptionClicked();
    void cmdScheduleRestart_Click();
    void mnuTestActions_Click();
    void mnuViewLogDirectory_Click();
    void Help_Click();
    void About_Click();
};

frmConfigure& TheConfigureForm();

// The preview lines as the text of a window or a console.
std::wstring PreviewText(const std::vector<std::string>& lines);
// What a run of the command line would do, in the preview window; or why
// there is nothing to show.
void ShowPreviewOfLine(const std::wstring& line, HWND owner);
