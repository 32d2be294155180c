// A window's texts from the string table, as its _Auto_Init sets them: the
// language's fonts, the window's caption, then each listed control or menu.
#pragma once

#include <span>
#include <string>

#include "runtime/Forms.h"

struct TextOf {
    enum Kind { Control, Menu } kind;
    const wchar_t* name;
    int id;
};
constexpr TextOf Ctl(const wchar_t* control, int id) { return {TextOf::Control, control, id}; }
constexpr TextOf Mnu(const wchar_t* menu, int id) { return {TextOf::Menu, menu, id}; }

struct FormTexts {
    bool fonts;   // the language's fonts first
    int caption;  // 0: the window keeps its caption
    std::span<const TextOf> items;
    std::wstring captionTail = {};  // after the caption's text
};

// Each step on its own: with a procedure name, a failed step shows the box
// "<prefix>N (description) in procedure P of Form F" and the next one runs;
// without, a failure ends the setting and reaches the caller.
struct StepBox {
    std::wstring procedure;
    std::wstring prefix = L"(error):";
};
void ApplyFormTexts(rt::Form& form, const FormTexts& texts, const StepBox& box = {});
