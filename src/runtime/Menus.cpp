#include "runtime/Menus.h"

#include "core/ProgramError.h"

namespace rt {
namespace {

constexpr int kFirstMenuId = 0x8000;

const MenuItem* FindIn(std::wstring_view name, const std::vector<MenuItem>& in) {
    for (const auto& item : in) {
        if (item.name == name) return &item;
        if (const MenuItem* found = FindIn(name, item.items)) return found;
    }
    return nullptr;
}

}  // namespace

HMENU MenuSet::Build(std::vector<MenuItem>& items, bool popup) {
    HMENU menu = popup ? ::CreatePopupMenu() : ::CreateMenu();
    UINT position = 0;
    for (auto& item : items) {
        places_[&item] = {menu, position++};
        if (item.items.empty()) {
            const int id = kFirstMenuId + nextId_++;
            byId_[id] = &item;
            if (item.caption == L"-") ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            else ::AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), item.caption.c_str());
        } else {
            HMENU sub = Build(item.items, true);
            dropDowns_[&item] = sub;
            ::AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), item.caption.c_str());
        }
    }
    return menu;
}

void MenuSet::Forget() {
    byId_.clear();
    places_.clear();
    dropDowns_.clear();
    popupMenus_.clear();
    nextId_ = 0;
}

HMENU MenuSet::BuildBar() {
    Forget();
    HMENU bar = bar_.empty() ? nullptr : Build(bar_, false);
    for (auto& popup : popups_) {
        // A pop-up menu shows its entries; the menu itself only holds them.
        UniqueMenu built(Build(popup.items, true));
        dropDowns_[&popup] = built.get();
        popupMenus_.push_back(std::move(built));
    }
    return bar;
}

void MenuSet::Build(HWND window) {
    if (!window) {
        Forget();
        return;
    }
    HMENU old = ::GetMenu(window);
    ::SetMenu(window, BuildBar());
    if (old) ::DestroyMenu(old);
}

void MenuSet::SetItems(std::wstring_view name, std::vector<MenuItem> items) {
    auto* item = const_cast<MenuItem*>(Find(name));
    if (!item) throw ProgramError(kErrNoSuchElement, "Menu item doesn't exist");
    item->items = std::move(items);
}

const MenuItem* MenuSet::Find(std::wstring_view name) const {
    const MenuItem* found = FindIn(name, bar_);
    return found ? found : FindIn(name, popups_);
}

MenuItem* MenuSet::ById(int id) {
    auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : it->second;
}

int MenuSet::Id(const MenuItem& item) const {
    for (const auto& [id, entry] : byId_) {
        if (entry == &item) return id;
    }
    return 0;
}

HMENU MenuSet::DropDown(std::wstring_view name) const {
    const MenuItem* item = Find(name);
    auto it = item ? dropDowns_.find(item) : dropDowns_.end();
    return it == dropDowns_.end() ? nullptr : it->second;
}

std::wstring MenuSet::Caption(std::wstring_view name) const {
    const MenuItem* item = Find(name);
    return item ? item->caption : std::wstring();
}

void MenuSet::SetCaption(HWND window, std::wstring_view name, std::wstring_view caption) {
    auto* item = const_cast<MenuItem*>(Find(name));
    if (!item) throw ProgramError(kErrNoSuchElement, "Menu item doesn't exist");
    if (item->caption == caption) return;  // no new layout for the same text
    item->caption.assign(caption);
    auto place = places_.find(item);
    if (place == places_.end() || item->caption == L"-") return;
    // In place: the menu, its handle and its ids stay as they are.
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = item->caption.data();
    ::SetMenuItemInfoW(place->second.menu, place->second.position, TRUE, &info);
    if (window && place->second.menu == ::GetMenu(window)) ::DrawMenuBar(window);
}

void MenuSet::Popup(HWND window, std::wstring_view name) const {
    HMENU menu = DropDown(name);
    if (!menu || !window) return;
    POINT pt{};
    ::GetCursorPos(&pt);
    ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, pt.x, pt.y, 0, window, nullptr);
}

}  // namespace rt
