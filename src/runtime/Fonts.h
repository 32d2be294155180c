// Fonts for the forms' controls: made once per face, size and style, and the
// system's message font that controls start from.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "runtime/Handles.h"

namespace rt {

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

// The message font in points (times ten), read once at system DPI.
struct DefaultFont {
    std::wstring face = L"MS Shell Dlg 2";
    int pointsTimes10 = 80;
};
const DefaultFont& SystemMessageFont();

}  // namespace rt
