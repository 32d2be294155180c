// A form's menu bar and pop-up menus, as data: the form builds them.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace rt {

struct MenuItem {
    std::wstring name;
    std::wstring caption;
    std::function<void()> click;
    std::vector<MenuItem> items;  // a top-level item's drop-down
};

}  // namespace rt
