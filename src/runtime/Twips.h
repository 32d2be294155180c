// Layouts are designed in twips and converted to pixels in one place, with
// the window's DPI.
#pragma once

#include <windows.h>

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

}  // namespace rt
