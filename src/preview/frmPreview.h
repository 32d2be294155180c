// The preview's own window: the plan and the verdict as read-only text that
// can be selected and copied.
#pragma once

#include <string>

#include "runtime/Forms.h"

class frmPreview : public rt::Form {
public:
    frmPreview(std::wstring caption, std::wstring text);

protected:
    void Form_Load() override;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void cmdCopy_Click();
    std::wstring caption_;
    std::wstring text_;
};

// Shows the text in a frmPreview owned by `owner`; returns when it closes.
void ShowPreviewWindow(const std::wstring& caption, const std::wstring& text, HWND owner = nullptr);
