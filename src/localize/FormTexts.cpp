#include "localize/FormTexts.h"

#include "localize/modLocalize.h"
#include "runtime/ErrorReporting.h"

void ApplyFormTexts(rt::Form& form, const FormTexts& texts, const StepBox& box) {
    const auto step = [&](auto&& body) {
        if (box.procedure.empty()) return body();
        try {
            body();
        } catch (...) {
            rt::ShowProcedureError(rt::CurrentError(), box.procedure, rt::ErrorScope::Form, form.Name(), box.prefix);
        }
    };
    if (texts.fonts) step([&] { SetFormLanguageFonts(form); });
    if (texts.caption) step([&] { form.SetCaption(mymyLoadString(texts.caption) + texts.captionTail); });
    for (const TextOf& item : texts.items) {
        step([&] {
            if (item.kind == TextOf::Menu) {
                form.SetMenuCaption(item.name, mymyLoadString(item.id));
            } else {
                form[item.name].SetCaption(mymyLoadString(item.id));
            }
        });
    }
}
