// A form's menu bar and pop-up menus, as data, and the menus built from them.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Handles.h"

namespace rt {

struct MenuItem {
    std::wstring name;
    std::wstring caption;
    std::function<void()> click;
    std::vector<MenuItem> items;  // a top-level item's drop-down
};

// The menus of one window. Captions change in place: no language switch
// makes new menus or command ids; only a change of structure rebuilds them.
class MenuSet {
public:
    void SetBar(std::vector<MenuItem> menus) { bar_ = std::move(menus); }
    void AddPopup(MenuItem menu) { popups_.push_back(std::move(menu)); }
    // Replaces the entries under a menu; throws when there is no such menu.
    void SetItems(std::wstring_view name, std::vector<MenuItem> items);
    // Builds the bar (set on the window) and the pop-up menus afresh; with no
    // window, only forgets what was built.
    void Build(HWND window);
    // The same for a window about to be made: the bar is for CreateWindowEx
    // (nullptr when there is none); the window then owns it.
    HMENU BuildBar();
    void Forget();  // the window and its bar are gone

    const MenuItem* Find(std::wstring_view name) const;
    MenuItem* ById(int id);
    int Id(const MenuItem& item) const;  // 0 when not built
    HMENU DropDown(std::wstring_view name) const;
    std::wstring Caption(std::wstring_view name) const;
    void SetCaption(HWND window, std::wstring_view name, std::wstring_view caption);
    // Shows a menu's drop-down at the cursor; the choice comes as WM_COMMAND.
    void Popup(HWND window, std::wstring_view name) const;

private:
    struct Place {
        HMENU menu;
        UINT position;
    };
    HMENU Build(std::vector<MenuItem>& items, bool popup);

    std::vector<MenuItem> bar_;
    std::vector<MenuItem> popups_;
    std::map<int, MenuItem*> byId_;
    std::map<const MenuItem*, Place> places_;
    std::map<const MenuItem*, HMENU> dropDowns_;
    std::vector<UniqueMenu> popupMenus_;
    int nextId_ = 0;
};

}  // namespace rt
