#include "runtime/Controls.h"

#include <commctrl.h>

#include "runtime/Fonts.h"

namespace rt {

ControlClass ClassFor(ControlKind kind) {
    switch (kind) {
    case ControlKind::Label: return {WC_STATICW, SS_LEFT, 0};
    case ControlKind::RightLabel: return {WC_STATICW, SS_RIGHT, 0};
    case ControlKind::PathLabel: return {WC_STATICW, SS_LEFT | SS_PATHELLIPSIS | SS_NOPREFIX, 0};
    case ControlKind::LineLabel: return {WC_STATICW, SS_LEFT | SS_ENDELLIPSIS | SS_NOPREFIX, 0};
    case ControlKind::Link: return {WC_STATICW, SS_LEFT | SS_NOTIFY, 0};
    case ControlKind::TextBox: return {WC_EDITW, ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::Button: return {WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, 0};
    // Multi-line: a long caption (another language) wraps instead of being cut.
    case ControlKind::OptionButton: return {WC_BUTTONW, BS_AUTORADIOBUTTON | BS_MULTILINE | WS_TABSTOP, 0};
    case ControlKind::CheckBox: return {WC_BUTTONW, BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case ControlKind::ListBox:
        return {WC_LISTBOXW, LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0};
    case ControlKind::MultiLineText:
        return {WC_EDITW, ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP,
                WS_EX_CLIENTEDGE};
    case ControlKind::Frame: return {WC_BUTTONW, BS_GROUPBOX, 0};
    case ControlKind::Picture: return {WC_STATICW, SS_ICON | SS_CENTERIMAGE, 0};
    case ControlKind::Image: return {WC_STATICW, SS_BITMAP | SS_CENTERIMAGE, 0};
    }
    return {WC_STATICW, SS_LEFT, 0};
}

std::wstring WindowText(HWND hwnd) {
    if (!hwnd) return {};
    const int n = ::GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    const int got = ::GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

// ---- Control ---------------------------------------------------------------

Control::Control(ControlParent& parent, ControlKind kind, std::wstring name, std::wstring caption, TwipsRect at,
                 bool startsGroup, int id)
    : parent_(parent), name_(std::move(name)), kind_(kind), layout_(at), designCaption_(std::move(caption)),
      startsGroup_(startsGroup), id_(id) {}

void Control::Create(unsigned dpi) {
    if (hwnd_ || !parent_.Hwnd()) return;
    const ControlClass cc = ClassFor(kind_);
    DWORD style = WS_CHILD | WS_VISIBLE | cc.style;
    if (startsGroup_ || kind_ != ControlKind::OptionButton) style |= WS_GROUP;
    if (!designEnabled_) style |= WS_DISABLED;
    // Made in its place: no move after, one message less each.
    hwnd_ = ::CreateWindowExW(cc.exStyle, cc.cls, designCaption_.c_str(), style, TwipsToPixels(layout_.left, dpi),
                              TwipsToPixels(layout_.top, dpi), TwipsToPixels(layout_.width, dpi),
                              TwipsToPixels(layout_.height, dpi), parent_.Hwnd(),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)), ::GetModuleHandleW(nullptr), nullptr);
    if (kind_ == ControlKind::Image && bitmap_) {
        ::SendMessageW(hwnd_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap_.get()));
    }
    if (kind_ == ControlKind::Frame) {
        // Frames stay behind the controls they hold.
        ::SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    ApplyFont();
    if (designValue_ != CheckState::Unchecked) SetValue(designValue_);
}

void Control::Place(unsigned dpi) {
    if (!hwnd_) return;
    ::SetWindowPos(hwnd_, nullptr, TwipsToPixels(layout_.left, dpi), TwipsToPixels(layout_.top, dpi),
                   TwipsToPixels(layout_.width, dpi), TwipsToPixels(layout_.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyFont();
}

void Control::ApplyFont() {
    if (!hwnd_) return;
    const DefaultFont& base = SystemMessageFont();
    // An empty face set on purpose stays empty: the font mapper then picks
    // one for the character set.
    if (!fontSet_) face_ = base.face;
    if (pointsTimes10_ == 0) pointsTimes10_ = base.pointsTimes10;
    const int height = ::MulDiv(pointsTimes10_, static_cast<int>(WindowDpi(parent_.Hwnd())), 720);
    HFONT font = parent_.FontFor(face_, height, charset_, bold_ ? FW_BOLD : FW_NORMAL, kind_ == ControlKind::Link);
    if (font && font != font_) {
        ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), ::IsWindowVisible(hwnd_));
        font_ = font;
    }
}

void Control::SetCaption(std::wstring_view text) {
    if (hwnd_ && text == WindowText(hwnd_)) return;  // the window has it: no repaint
    designCaption_.assign(text);
    if (hwnd_) ::SetWindowTextW(hwnd_, designCaption_.c_str());
}

std::wstring Control::Caption() const { return hwnd_ ? WindowText(hwnd_) : designCaption_; }

void Control::Refresh() {
    if (!hwnd_) return;
    ::InvalidateRect(hwnd_, nullptr, TRUE);
    ::UpdateWindow(hwnd_);
}

CheckState Control::Value() const {
    if (!hwnd_) return CheckState::Unchecked;
    const LRESULT state = ::SendMessageW(hwnd_, BM_GETCHECK, 0, 0);
    return state == BST_CHECKED         ? CheckState::Checked
           : state == BST_INDETERMINATE ? CheckState::Grayed
                                        : CheckState::Unchecked;
}

void Control::SetValue(CheckState value) {
    if (!hwnd_) {
        designValue_ = value;
        return;
    }
    // Checking an option walks its group: not again for the same state.
    if (value == Value()) return;
    if (kind_ == ControlKind::CheckBox && value == CheckState::Grayed) {
        // Grey needs the three-state style; keep it automatic otherwise.
        ::SendMessageW(hwnd_, BM_SETSTYLE, BS_AUTO3STATE, TRUE);
    }
    const WPARAM state = value == CheckState::Checked  ? BST_CHECKED
                         : value == CheckState::Grayed ? BST_INDETERMINATE
                                                       : BST_UNCHECKED;
    ::SendMessageW(hwnd_, BM_SETCHECK, state, 0);
    if (kind_ == ControlKind::OptionButton && value == CheckState::Checked) {
        // Clear the rest of the group, as a click would.
        HWND first = hwnd_;
        for (HWND h = ::GetNextDlgGroupItem(parent_.Hwnd(), hwnd_, FALSE); h && h != first;
             h = ::GetNextDlgGroupItem(parent_.Hwnd(), h, FALSE)) {
            if (::SendMessageW(h, BM_GETCHECK, 0, 0) != BST_UNCHECKED) ::SendMessageW(h, BM_SETCHECK, BST_UNCHECKED, 0);
        }
    }
}

void Control::SetEnabled(bool enabled) {
    if (!hwnd_) designEnabled_ = enabled;
    else if (enabled != Enabled()) ::EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

bool Control::Enabled() const { return hwnd_ && ::IsWindowEnabled(hwnd_); }

void Control::SetVisible(bool visible) {
    if (hwnd_) ::ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

void Control::SetIcon(HICON icon) {
    if (hwnd_) ::SendMessageW(hwnd_, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

void Control::SetBitmap(HBITMAP bitmap) {
    bitmap_.reset(bitmap);
    if (hwnd_) ::SendMessageW(hwnd_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
}

void Control::Move(const TwipsRect& at) {
    layout_ = at;
    if (!hwnd_) return;
    const unsigned dpi = WindowDpi(parent_.Hwnd());
    ::SetWindowPos(hwnd_, nullptr, TwipsToPixels(at.left, dpi), TwipsToPixels(at.top, dpi), TwipsToPixels(at.width, dpi),
                   TwipsToPixels(at.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
}

void Control::SetBold(bool bold) {
    bold_ = bold;
    ApplyFont();
}

void Control::AddItem(std::wstring_view text) {
    const std::wstring s(text);
    if (hwnd_) ::SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
}

void Control::ClearItems() {
    if (hwnd_) ::SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
}

int Control::ListCount() const {
    return hwnd_ ? static_cast<int>(::SendMessageW(hwnd_, LB_GETCOUNT, 0, 0)) : 0;
}

int Control::ListIndex() const {
    return hwnd_ ? static_cast<int>(::SendMessageW(hwnd_, LB_GETCURSEL, 0, 0)) : -1;
}

void Control::SetListIndex(int index) {
    if (!hwnd_) return;
    ::SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // A program's selection fires Click, as a user's would.
    if (Click) Click();
}

std::wstring Control::ItemText(int index) const {
    if (!hwnd_) return {};
    const LRESULT n = ::SendMessageW(hwnd_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n == LB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    ::SendMessageW(hwnd_, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(n));
    return text;
}

void Control::SetFont(BYTE charset, std::wstring_view faceName) {
    fontSet_ = true;
    charset_ = charset;
    face_.assign(faceName);
    ApplyFont();
}

// ---- Timer -----------------------------------------------------------------

Timer::Timer(ControlParent& parent, std::wstring name, unsigned intervalMs, UINT_PTR id)
    : parent_(parent), name_(std::move(name)), id_(id), interval_(intervalMs) {}

void Timer::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Apply();
}

void Timer::SetInterval(unsigned milliseconds) {
    interval_ = milliseconds;
    Apply();
}

void Timer::Apply() {
    HWND hwnd = parent_.Hwnd();
    if (!hwnd) return;
    if (enabled_ && interval_ > 0) ::SetTimer(hwnd, id_, interval_, nullptr);
    else ::KillTimer(hwnd, id_);
}

}  // namespace rt
