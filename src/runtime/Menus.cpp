#include "runtime/Form.h"

#include "core/ProgramError.h"

namespace rt {
namespace {

constexpr int kFirstMenuId = 0x8000;

}  // namespace

HMENU Form::BuildMenu(std::vector<MenuItem>& items, bool popup) {
    HMENU menu = popup ? ::CreatePopupMenu() : ::CreateMenu();
    UINT position = 0;
    for (auto& item : items) {
        menuPlace_[&item] = {menu, position++};
        if (item.items.empty()) {
            const int id = kFirstMenuId + nextMenuId_++;
            menuById_[id] = &item;
            if (item.caption == L"-") ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            else ::AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), item.caption.c_str());
        } else {
            HMENU sub = BuildMenu(item.items, true);
            dropDowns_[&item] = sub;
            ::AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), item.caption.c_str());
        }
    }
    return menu;
}

// Builds the bar and the pop-up menus afresh, with command ids from the start
// of their range: only a change of the menus' structure comes here.
void Form::RebuildMenus() {
    menuById_.clear();
    menuPlace_.clear();
    dropDowns_.clear();
    popupMenus_.clear();
    nextMenuId_ = 0;
    if (!hwnd_) return;
    HMENU old = ::GetMenu(hwnd_);
    ::SetMenu(hwnd_, menus_.empty() ? nullptr : BuildMenu(menus_, false));
    if (old) ::DestroyMenu(old);
    for (auto& popup : popups_) {
        // A pop-up menu shows its entries; the menu itself only holds them.
        UniqueMenu built(BuildMenu(popup.items, true));
        dropDowns_[&popup] = built.get();
        popupMenus_.push_back(std::move(built));
    }
}

void Form::SetMenuBar(std::vector<MenuItem> menus) {
    menus_ = std::move(menus);
    RebuildMenus();
    if (hwnd_) PlaceAll();
}

void Form::AddPopupMenu(MenuItem menu) {
    popups_.push_back(std::move(menu));
    RebuildMenus();
}

void Form::SetMenuItems(std::wstring_view name, std::vector<MenuItem> items) {
    auto* item = const_cast<MenuItem*>(FindMenu(name));
    if (!item) throw ProgramError(kErrNoSuchElement, "Menu item doesn't exist");
    item->items = std::move(items);
    RebuildMenus();
    if (hwnd_) ::DrawMenuBar(hwnd_);
}

const MenuItem* Form::FindIn(std::wstring_view name, const std::vector<MenuItem>& in) {
    for (const auto& item : in) {
        if (item.name == name) return &item;
        if (const MenuItem* found = FindIn(name, item.items)) return found;
    }
    return nullptr;
}

const MenuItem* Form::FindMenu(std::wstring_view name, const std::vector<MenuItem>& in,
                               const std::vector<MenuItem>& popups) {
    const MenuItem* found = FindIn(name, in);
    return found ? found : FindIn(name, popups);
}

MenuItem* Form::FindMenuById(int id) {
    auto it = menuById_.find(id);
    return it == menuById_.end() ? nullptr : it->second;
}

void Form::SetMenuCaption(std::wstring_view name, std::wstring_view caption) {
    auto* item = const_cast<MenuItem*>(FindMenu(name));
    if (!item) throw ProgramError(kErrNoSuchElement, "Menu item doesn't exist");
    item->caption.assign(caption);
    auto place = menuPlace_.find(item);
    if (place == menuPlace_.end() || item->caption == L"-") return;
    // In place: the menu, its handle and its ids stay as they are.
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = item->caption.data();
    ::SetMenuItemInfoW(place->second.menu, place->second.position, TRUE, &info);
    if (hwnd_ && place->second.menu == ::GetMenu(hwnd_)) ::DrawMenuBar(hwnd_);
}

std::wstring Form::MenuCaption(std::wstring_view name) const {
    const MenuItem* item = FindMenu(name);
    return item ? item->caption : std::wstring();
}

HMENU Form::MenuHandle(std::wstring_view name) const {
    const MenuItem* item = FindMenu(name);
    auto it = item ? dropDowns_.find(item) : dropDowns_.end();
    return it == dropDowns_.end() ? nullptr : it->second;
}

int Form::MenuId(const MenuItem& item) const {
    for (const auto& [id, entry] : menuById_) {
        if (entry == &item) return id;
    }
    return 0;
}

void Form::PopupMenu(std::wstring_view name) {
    HMENU menu = MenuHandle(name);
    if (!menu || !hwnd_) return;
    POINT pt{};
    ::GetCursorPos(&pt);
    // The choice comes back as WM_COMMAND, like a menu-bar command.
    ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, pt.x, pt.y, 0, hwnd_, nullptr);
}

}  // namespace rt
