// The windowing runtime: forms whose controls are placed from twips, timers,
// menus, modal and modeless show, the collection of loaded forms, operations
// called by name, and the event pump.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Handles.h"

namespace rt {

// Layouts are designed in twips: 1440 to the inch, 15 to the pixel at 96 dpi.
int TwipsToPixels(int twips, unsigned dpi);
int PixelsToTwips(int pixels, unsigned dpi);
unsigned WindowDpi(HWND hwnd);

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Link: a label drawn as a hyperlink (blue, underlined, hand cursor) that
// reports clicks. Image: a picture box showing a bitmap. PathLabel: a label
// for a file path, shortened in its middle when it does not fit. LineLabel:
// one line that ends in an ellipsis when it does not fit.
enum class ControlKind { Label, RightLabel, PathLabel, LineLabel, Link, Button, OptionButton, CheckBox, ListBox, TextBox, MultiLineText, Frame,
                         Picture, Image };

// Fonts made for a form's controls, kept until the form is destroyed.
class FontStore {
public:
    HFONT Get(const std::wstring& face, int heightPixels, BYTE charset, int weight, bool underline = false);
    std::size_t Count() const { return fonts_.size(); }

private:
    struct Key {
        std::wstring face;
        int height;
        BYTE charset;
        int weight;
        bool underline;
        bool operator<(const Key& o) const {
            if (face != o.face) return face < o.face;
            if (height != o.height) return height < o.height;
            if (charset != o.charset) return charset < o.charset;
            if (weight != o.weight) return weight < o.weight;
            return underline < o.underline;
        }
    };
    std::map<Key, UniqueFont> fonts_;
};

class Form;

class Control {
public:
    const std::wstring& Name() const { return name_; }
    ControlKind Kind() const { return kind_; }
    HWND Hwnd() const { return hwnd_; }
    int Id() const { return id_; }
    const TwipsRect& Layout() const { return layout_; }

    void SetCaption(std::wstring_view text);
    std::wstring Caption() const;
    // Repaints now, for handlers that block the pump for a long time.
    void Refresh();
    // Check box: 0 clear, 1 ticked, 2 grey. Option button: 0 or 1.
    int Value() const;
    void SetValue(int value);
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
    BYTE FontCharset() const { return charset_; }
    const std::wstring& FontFace() const { return face_; }
    void SetBold(bool bold);

    std::function<void()> Click;     // buttons, options, check boxes, list selection

private:
    friend class Form;
    Form* owner_ = nullptr;
    std::wstring name_;
    ControlKind kind_ = ControlKind::Label;
    TwipsRect layout_;
    std::wstring designCaption_;
    bool startsGroup_ = false;
    HWND hwnd_ = nullptr;
    int id_ = 0;
    bool fontSet_ = false;  // until SetFont, the system's message font
    std::wstring face_;
    BYTE charset_ = DEFAULT_CHARSET;
    int pointsTimes10_ = 0;
    bool bold_ = false;
    UniqueBitmap bitmap_;
};

class Timer {
public:
    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    void SetInterval(unsigned milliseconds);
    unsigned Interval() const { return interval_; }
    const std::wstring& Name() const { return name_; }

    std::function<void()> Tick;

private:
    friend class Form;
    void Apply();
    Form* owner_ = nullptr;
    std::wstring name_;
    UINT_PTR id_ = 0;
    unsigned interval_ = 0;
    bool enabled_ = false;
};

struct MenuItem {
    std::wstring name;
    std::wstring caption;
    std::function<void()> click;
    std::vector<MenuItem> items;  // a top-level item's drop-down
};

enum class ShowMode { Modeless, Modal };

class Form {
public:
    static constexpr DWORD kFixedSingle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    static constexpr DWORD kFixedDialog = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    static constexpr DWORD kSizable = WS_OVERLAPPEDWINDOW;

    Form(std::wstring name, std::wstring designCaption, int clientWidthTwips, int clientHeightTwips,
         DWORD style = kFixedSingle);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::wstring& Name() const { return name_; }
    HWND Hwnd() const { return hwnd_; }
    bool IsLoaded() const { return hwnd_ != nullptr; }
    bool IsVisible() const;

    // Creates the window and runs Form_Load, once.
    void Load();
    // Loads if needed and shows. Modal: returns when the form is hidden or
    // unloaded, with the other windows of the program disabled meanwhile.
    // A form opened from another is owned by it: no taskbar button of its
    // own, always above its owner, and the owner is active again when it
    // hides or closes.
    void Show(ShowMode mode = ShowMode::Modeless, HWND owner = nullptr);
    void Hide();
    // Runs Form_Unload; unless it cancels, destroys the window. The program's
    // message loop ends when the last loaded form is gone.
    void Unload();

    void SetCaption(std::wstring_view text);
    std::wstring Caption() const;

    Control& Add(ControlKind kind, std::wstring name, std::wstring caption, TwipsRect at,
                 bool startsGroup = false);
    Control& operator[](std::wstring_view name);
    const std::vector<std::unique_ptr<Control>>& Controls() const { return controls_; }
    Timer& AddTimer(std::wstring name, unsigned intervalMs);
    Timer& GetTimer(std::wstring_view name);

    void SetMenuBar(std::vector<MenuItem> menus);
    void SetMenuCaption(std::wstring_view name, std::wstring_view caption);
    std::wstring MenuCaption(std::wstring_view name) const;
    // A menu that is not on the menu bar, only ever opened by PopupMenu.
    void AddPopupMenu(MenuItem menu);
    // Replaces the entries under a menu (such as a list built at load).
    void SetMenuItems(std::wstring_view name, std::vector<MenuItem> items);
    // Shows a menu's drop-down at the cursor; the choice arrives as a command.
    void PopupMenu(std::wstring_view name);
    // The built drop-down of a menu on the bar or of a pop-up menu.
    HMENU MenuHandle(std::wstring_view name) const;
    // The command a menu entry sends; 0 when it is not built.
    int MenuId(const MenuItem& item) const;
    const MenuItem* FindMenu(std::wstring_view name) const { return FindMenu(name, menus_, popups_); }

    // 11: the hourglass over the whole form; 0: each window's own pointer.
    void SetMousePointer(int pointer);

    // Public operations reachable by name, such as the _Auto_Init captions.
    void CallByName(std::wstring_view operation);
    bool HasOperation(std::wstring_view operation) const;

    // Offered every message for this form's windows before the dialog
    // manager; true when it was handled (a hosted control's own keys).
    virtual bool PreTranslateMessage(MSG& /*msg*/) { return false; }

    FontStore& Fonts() { return fonts_; }
    int ClientWidthTwips() const { return clientWidthTwips_; }
    int ClientHeightTwips() const { return clientHeightTwips_; }

protected:
    virtual void Form_Load() {}
    virtual void Form_Unload(bool& /*cancel*/) {}
    virtual void Form_Resize() {}
    // For sizable windows: Windows chooses where the form first appears.
    void UseDefaultPosition() { defaultPosition_ = true; }
    void Publish(std::wstring operation, std::function<void()> body);
    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

private:
    friend class Control;
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void CreateControl(Control& c);
    void PlaceAll();
    void ApplyFont(Control& c);
    void OnDestroyed();
    void EndModal();
    void ActivateOwner(HWND owner);
    static const MenuItem* FindMenu(std::wstring_view name, const std::vector<MenuItem>& in,
                                    const std::vector<MenuItem>& popups);
    static const MenuItem* FindIn(std::wstring_view name, const std::vector<MenuItem>& in);
    MenuItem* FindMenuById(int id);
    HMENU BuildMenu(std::vector<MenuItem>& items, bool popup);
    void RebuildMenus();
    Control* ControlOf(HWND hwnd);

    std::wstring name_;
    std::wstring designCaption_;
    int clientWidthTwips_;
    int clientHeightTwips_;
    DWORD style_;
    HWND hwnd_ = nullptr;
    HWND owner_ = nullptr;
    std::vector<HWND> modalDisabled_;  // what a modal show disabled, until it ends
    bool loading_ = false;
    bool destroying_ = false;
    FontStore fonts_;
    std::vector<std::unique_ptr<Control>> controls_;
    std::vector<std::unique_ptr<Timer>> timers_;
    std::vector<MenuItem> menus_;
    std::vector<MenuItem> popups_;
    // Built menus: a command id per entry, and where each entry stands, so
    // that captions change in place and no switch makes new menus or ids.
    struct MenuPlace {
        HMENU menu;
        UINT position;
    };
    std::map<int, MenuItem*> menuById_;
    std::map<const MenuItem*, MenuPlace> menuPlace_;
    std::map<const MenuItem*, HMENU> dropDowns_;
    std::vector<UniqueMenu> popupMenus_;
    int nextMenuId_ = 0;
    int mousePointer_ = 0;
    bool defaultPosition_ = false;
    std::map<std::wstring, std::function<void()>, std::less<>> operations_;
    int nextId_ = 100;
};

// Loaded forms, in load order.
const std::vector<Form*>& LoadedForms();

// Handles every pending window message once, then returns.
void DoEvents();
// Waits for the handle (null: for the time alone) while the program's windows
// stay painted and "responding": paint messages are handled at once, every
// other message (input among it) waits for the next DoEvents. A time-out of
// INFINITE waits without limit. True only when the handle was signalled.
bool WaitPaintingOnly(HANDLE handle, DWORD timeoutMs);

// Runs until the last loaded form is unloaded; returns the exit code.
int RunMessageLoop();

}  // namespace rt
