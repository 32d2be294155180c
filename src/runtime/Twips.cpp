#include "runtime/Twips.h"

#include "runtime/SystemApi.h"

namespace rt {

int TwipsToPixels(int twips, unsigned dpi) {
    return ::MulDiv(twips, static_cast<int>(dpi), 1440);
}

int PixelsToTwips(int pixels, unsigned dpi) {
    return dpi ? ::MulDiv(pixels, 1440, static_cast<int>(dpi)) : pixels * 15;
}

unsigned WindowDpi(HWND hwnd) { return DpiOfWindow(hwnd); }

}  // namespace rt
