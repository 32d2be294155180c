#include "restart/frmPreview.h"

#include "localize/FormTexts.h"
#include "localize/RestartResCONST.h"
#include "runtime/ErrorReporting.h"

namespace {
// Client area and control positions in twips.
constexpr int kClientWidth = 10920;
constexpr int kClientHeight = 7500;
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
