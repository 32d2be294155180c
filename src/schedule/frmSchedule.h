// The scheduled-task manager: the system's tasks, their details, and a new
// task that runs this program with the configuration window's choice.
#pragma once

#include <functional>
#include <string>

#include "runtime/Forms.h"

class ScheduledTask;
class ScheduledTasks;

class frmSchedule : public rt::Form {
public:
    // commandLine: the line a new task runs the program with (the
    // configuration window's current choice).
    // preview: shows what a run of a task's command line would do.
    // pendingSkip: the line that says the next run will be skipped (empty: none).
    using PreviewOfLine = std::function<void(const std::wstring& line, HWND owner)>;
    explicit frmSchedule(std::function<std::wstring()> commandLine, PreviewOfLine preview = nullptr,
                         std::function<std::wstring()> pendingSkip = nullptr);

    void RefreshList();

protected:
    void Form_Load() override;

private:
    void frmSchedule_Auto_Init();
    void lstTasks_Click();
    void cmdNew_Click();
    void cmdProps_Click();
    void cdmDelete_Click();
    void cmdPreview_Click();
    // The property dialog, owned by this window; it saves the task on OK.
    void ShowProperties(ScheduledTask& task);
    ScheduledTasks& objTasks();  // created on first use, kept for the process

    std::function<std::wstring()> commandLine_;
    PreviewOfLine preview_;
    std::function<std::wstring()> pendingSkip_;
};
