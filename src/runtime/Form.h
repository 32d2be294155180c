// A form: a top-level window whose controls, timers and menus come from
// tables, with its lifetime (load, modal and modeless show, hide, unload),
// its window procedure and its operations called by name.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Controls.h"
#include "runtime/Fonts.h"
#include "runtime/Handles.h"
#include "runtime/Menus.h"
#include "runtime/MessageLoop.h"
#include "runtime/Twips.h"

namespace rt {

enum class ShowMode { Modeless, Modal };
// The pointer over a whole form: each window's own, or the hourglass.
enum class MousePointer { Default, Hourglass };

class Form : public ControlParent, public MessageTarget {
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
    HWND Hwnd() const override { return hwnd_; }
    HFONT FontFor(const std::wstring& face, int heightPixels, BYTE charset, int weight, bool underline) override {
        return fonts_.Get(face, heightPixels, charset, weight, underline);
    }
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
    const MenuItem* FindMenu(std::wstring_view name) const { return menus_.Find(name); }

    void SetMousePointer(MousePointer pointer);

    // Public operations reachable by name, such as the _Auto_Init captions.
    void CallByName(std::wstring_view operation);
    bool HasOperation(std::wstring_view operation) const;


    FontStore& Fonts() { return fonts_; }

protected:
    virtual void Form_Load() {}
    virtual void Form_Unload(bool& /*cancel*/) {}
    virtual void Form_Resize() {}
    // For sizable windows: Windows chooses where the form first appears.
    void UseDefaultPosition() { defaultPosition_ = true; }
    void Publish(std::wstring operation, std::function<void()> body);
    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void PlaceAll();
    // The frame's outer rectangle for the client size at this DPI; centred
    // on the monitor, or at (0, 0) when it keeps its place.
    RECT FrameRect(unsigned dpi, bool menu, HMONITOR monitor) const;
    void PlaceFrame(unsigned dpi, bool centre);
    void OnDestroyed();
    void EndModal();
    void ActivateOwner(HWND owner);
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
    MenuSet menus_;
    MousePointer mousePointer_ = MousePointer::Default;
    bool defaultPosition_ = false;
    std::map<std::wstring, std::function<void()>, std::less<>> operations_;
    int nextId_ = 100;
};

// Loaded forms, in load order.
const std::vector<Form*>& LoadedForms();

}  // namespace rt
