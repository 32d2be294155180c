#include "runtime/Fonts.h"

namespace rt {

HFONT FontStore::Get(const std::wstring& face, int heightPixels, BYTE charset, int weight, bool underline) {
    Key key{face, heightPixels, charset, weight, underline};
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second.get();
    LOGFONTW lf{};
    lf.lfHeight = -heightPixels;
    lf.lfWeight = weight;
    lf.lfCharSet = charset;
    lf.lfUnderline = underline ? TRUE : FALSE;
    lf.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    HFONT font = ::CreateFontIndirectW(&lf);
    if (!font) return nullptr;
    return fonts_.emplace(std::move(key), UniqueFont(font)).first->second.get();
}

const DefaultFont& SystemMessageFont() {
    static DefaultFont font = [] {
        DefaultFont f;
        NONCLIENTMETRICSW ncm{};
        ncm.cbSize = sizeof ncm;
        if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0) &&
            ncm.lfMessageFont.lfHeight != 0) {
            HDC dc = ::GetDC(nullptr);
            const int logPixels = dc ? ::GetDeviceCaps(dc, LOGPIXELSY) : 96;
            if (dc) ::ReleaseDC(nullptr, dc);
            const int height = ncm.lfMessageFont.lfHeight < 0 ? -ncm.lfMessageFont.lfHeight
                                                               : ncm.lfMessageFont.lfHeight;
            f.face = ncm.lfMessageFont.lfFaceName;
            f.pointsTimes10 = ::MulDiv(height, 720, logPixels);
        }
        return f;
    }();
    return font;
}

}  // namespace rt
