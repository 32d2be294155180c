// The window styles commands are started with. Portable core.
#pragma once

enum WindowStyle : int {
    vbHide = 0, vbNormalFocus = 1, vbMinimizedFocus = 2, vbMaximizedFocus = 3, vbNormalNoFocus = 4, vbMinimizedNoFocus = 6,
};
