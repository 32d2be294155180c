// The controls of a form, placed in twips, and its timers.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "core/CheckState.h"
#include "runtime/Handles.h"
#include "runtime/Twips.h"

namespace rt {

using ::CheckState;

// Link: a label drawn as a hyperlink (blue, underlined, hand cursor) that
// reports clicks. Image: a picture box showing a bitmap. PathLabel: a label
// for a file path, shortened in its middle when it does not fit. LineLabel:
// one line that ends in an ellipsis when it does not fit.
enum class ControlKind { Label, RightLabel, PathLabel, LineLabel, Link, Button, OptionButton, CheckBox, ListBox, TextBox, MultiLineText, Frame,
                         Picture, Image };

// What a control and a timer need of the window they live in.
class ControlParent {
public:
    virtual HWND Hwnd() const = 0;
    // A font kept as long as the window: by face, pixel height and style.
    virtual HFONT FontFor(const std::wstring& face, int heightPixels, BYTE charset, int weight, bool underline) = 0;

protected:
    ~ControlParent() = default;
};

class Control {
public:
    Control(ControlParent& parent, ControlKind kind, std::wstring name, std::wstring caption, TwipsRect at,
            bool startsGroup, int id);
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // Makes the control's window in the parent's (once it has one), at its
    // place and with its font at the dpi.
    void Create(unsigned dpi);
    // Places it at its layout in pixels of the dpi, with its font at that dpi.
    void Place(unsigned dpi);
    // The parent's window is gone, and the control's with it.
    void Forget() {
        hwnd_ = nullptr;
        font_ = nullptr;
    }

    const std::wstring& Name() const { return name_; }
    ControlKind Kind() const { return kind_; }
    HWND Hwnd() const { return hwnd_; }
    int Id() const { return id_; }

    void SetCaption(std::wstring_view text);
    std::wstring Caption() const;
    // Repaints now, for handlers that block the pump for a long time.
    void Refresh();
    // A check box's state; an option button is Checked or Unchecked.
    // Set before the window exists, the state and the enabled flag are the
    // ones it is made with (each making).
    CheckState Value() const;
    void SetValue(CheckState value);
    bool Checked() const { return Value() == CheckState::Checked; }
    void SetEnabled(bool enabled);
    bool Enabled() const;
    void SetVisible(bool visible);
    void SetIcon(HICON icon);
    // Image: the control owns the bitmap from now on.
    void SetBitmap(HBITMAP bitmap);
    // Places the control anew, in twips of the form's client area.
    void Move(const TwipsRect& at);

    // List box.
    void AddItem(std::wstring_view text);
    void ClearItems();
    int ListCount() const;
    int ListIndex() const;
    void SetListIndex(int index);
    std::wstring ItemText(int index) const;

    // The font by character set and face name; the point size is kept.
    void SetFont(BYTE charset, std::wstring_view faceName);
    void SetBold(bool bold);

    std::function<void()> Click;     // buttons, options, check boxes, list selection

private:
    void ApplyFont();
    ControlParent& parent_;
    std::wstring name_;
    ControlKind kind_ = ControlKind::Label;
    TwipsRect layout_;
    std::wstring designCaption_;
    bool startsGroup_ = false;
    bool designEnabled_ = true;
    CheckState designValue_ = CheckState::Unchecked;
    HWND hwnd_ = nullptr;
    int id_ = 0;
    bool fontSet_ = false;  // until SetFont, the system's message font
    std::wstring face_;
    BYTE charset_ = DEFAULT_CHARSET;
    int pointsTimes10_ = 0;
    bool bold_ = false;
    UniqueBitmap bitmap_;
    HFONT font_ = nullptr;  // the font the window has: set again only when it changes
};

class Timer {
public:
    Timer(ControlParent& parent, std::wstring name, unsigned intervalMs, UINT_PTR id);
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    UINT_PTR Id() const { return id_; }
    // Sets the system timer as the timer stands (once the parent has a window).
    void Apply();
    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    void SetInterval(unsigned milliseconds);
    const std::wstring& Name() const { return name_; }

    std::function<void()> Tick;

private:
    ControlParent& parent_;
    std::wstring name_;
    UINT_PTR id_ = 0;
    unsigned interval_ = 0;
    bool enabled_ = false;
};

// The window class, style and extended style that make a control of a kind.
struct ControlClass {
    const wchar_t* cls;
    DWORD style;
    DWORD exStyle;
};
ControlClass ClassFor(ControlKind kind);
std::wstring WindowText(HWND hwnd);

}  // namespace rt
