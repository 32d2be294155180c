#include "preview/frmPreview.h"

#include "localize/FormTexts.h"
#include "localize/RestartResCONST.h"
#include "runtime/ErrorReporting.h"

namespace {
// Client area and control positions in twips.
constexpr int kClientWidth = 10920;
constexpr int kClientHeight = 7500;
constexpr UINT kFocusClose = WM_APP + 1;
}  // namespace

frmPreview::frmPreview(std::wstring caption, std::wstring text)
    : rt::Form(L"frmPreview", L"Preview", kClientWidth, kClientHeight, rt::Form::kFixedDialog),
      caption_(std::move(caption)), text_(std::move(text)) {
    using K = rt::ControlKind;
    Add(K::MultiLineText, L"txtPlan", L"", {120, 120, 10680, 6615}, true);
    Add(K::Button, L"cmdCopy", L"Copy", {6960, 6915, 1800, 435}).Click = [this] { cmdCopy_Click(); };
    Add(K::Button, L"cmdClose", L"Close", {9000, 6915, 1800, 435}).Click = [this] { Unload(); };
}

void frmPreview::Form_Load() {
    static constexpr TextOf kTexts[] = {Ctl(L"cmdCopy", IDS_COPY), Ctl(L"cmdClose", IDS_CLOSE)};
    rt::ContinueSilently([this] { ApplyFormTexts(*this, {true, 0, kTexts}); });
    SetCaption(caption_);
    const HWND edit = (*this)[L"txtPlan"].Hwnd();
    ::SendMessageW(edit, EM_SETREADONLY, TRUE, 0);
    (*this)[L"txtPlan"].SetCaption(text_);
    // The verdict first in sight: it closes the text; the plan is above it.
    // (Posted: the control scrolls only once it is shown.)
    ::PostMessageW(edit, EM_LINESCROLL, 0, ::SendMessageW(edit, EM_GETLINECOUNT, 0, 0));
    // Once shown, the focus on Close: Enter or Escape closes it at once.
    ::PostMessageW(Hwnd(), kFocusClose, 0, 0);
}

LRESULT frmPreview::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kFocusClose) {
        ::SetFocus((*this)[L"cmdClose"].Hwnd());
        return 0;
    }
    if (msg == WM_COMMAND && lp == 0 && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
        Unload();
        return 0;
    }
    return rt::Form::HandleMessage(msg, wp, lp);
}

void frmPreview::cmdCopy_Click() {
    const HWND edit = (*this)[L"txtPlan"].Hwnd();
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    ::SendMessageW(edit, WM_COPY, 0, 0);
    ::SetFocus(edit);
}

void ShowPreviewWindow(const std::wstring& caption, const std::wstring& text, HWND owner) {
    frmPreview window(caption, text);
    window.Show(rt::ShowMode::Modal, owner);
}
