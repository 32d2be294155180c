#include "runtime/Dialogs.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "runtime/Handles.h"

namespace rt {
namespace {

constexpr WORD kPromptId = 100;
constexpr WORD kEditId = 101;

// Builds a DLGTEMPLATE in memory: the layout of the classic input box, in
// dialog units so that it follows the dialog font and the DPI.
class TemplateWriter {
public:
    void Word(WORD w) { bytes_.push_back(static_cast<std::uint8_t>(w & 0xFF)), bytes_.push_back(static_cast<std::uint8_t>(w >> 8)); }
    void Dword(DWORD d) {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    void Text(std::wstring_view s) {
        for (wchar_t c : s) Word(static_cast<WORD>(c));
        Word(0);
    }
    void Align() {
        while (bytes_.size() % 4) bytes_.push_back(0);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD cls, std::wstring_view text) {
        Align();
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        Word(static_cast<WORD>(x)), Word(static_cast<WORD>(y)), Word(static_cast<WORD>(cx)),
            Word(static_cast<WORD>(cy));
        Word(id);
        Word(0xFFFF), Word(cls);
        Text(text);
        Word(0);
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }

private:
    std::vector<std::uint8_t> bytes_;
};

struct InputState {
    std::wstring prompt;
    std::wstring text;
    const InputBoxLook* look = nullptr;
    UniqueFont font;
};

// The language's face at the dialog font's size, on every control.
void ApplyLanguageFont(HWND dlg, InputState& state) {
    if (state.look->fontFace.empty()) return;
    LOGFONTW lf{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(dlg, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    lf.lfCharSet = state.look->charset;
    lstrcpynW(lf.lfFaceName, state.look->fontFace.c_str(), LF_FACESIZE);
    state.font.reset(::CreateFontIndirectW(&lf));
    if (!state.font) return;
    for (HWND c = ::GetWindow(dlg, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        ::SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(state.font.get()), TRUE);
    }
}

INT_PTR CALLBACK InputProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    auto* state = reinterpret_cast<InputState*>(::GetWindowLongPtrW(dlg, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG:
        ::SetWindowLongPtrW(dlg, DWLP_USER, lp);
        state = reinterpret_cast<InputState*>(lp);
        ::SetWindowTextW(dlg, kProgramTitle);
        ::SetDlgItemTextW(dlg, kPromptId, state->prompt.c_str());
        ::SetDlgItemTextW(dlg, kEditId, state->text.c_str());
        ApplyLanguageFont(dlg, *state);
        ::SendDlgItemMessageW(dlg, kEditId, EM_SETSEL, 0, -1);
        ::SetFocus(::GetDlgItem(dlg, kEditId));
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            const int n = ::GetWindowTextLengthW(::GetDlgItem(dlg, kEditId));
            std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
            const int got = ::GetDlgItemTextW(dlg, kEditId, text.data(), n + 1);
            text.resize(static_cast<std::size_t>(got));
            state->text = std::move(text);
            ::EndDialog(dlg, IDOK);
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            state->text.clear();
            ::EndDialog(dlg, IDCANCEL);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

}  // namespace

namespace {

struct Unattended {
    std::function<void(const std::wstring&)> report;
    DWORD closeAfterMs = 0;
};
Unattended* gUnattended = nullptr;

// The box being shown by TimedBox on this (the only UI) thread.
HWND gTimedBox = nullptr;
HHOOK gBoxHook = nullptr;

LRESULT CALLBACK CatchBox(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_ACTIVATE && !gTimedBox) {
        wchar_t cls[16] = {};
        ::GetClassNameW(reinterpret_cast<HWND>(wp), cls, 16);
        if (std::wstring_view(cls) == L"#32770") gTimedBox = reinterpret_cast<HWND>(wp);
    }
    return ::CallNextHookEx(gBoxHook, code, wp, lp);
}

void CALLBACK CloseTimedBox(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    if (gTimedBox) ::EndDialog(gTimedBox, IDOK);
}

int TimedBox(const std::wstring& text, UINT buttons, DWORD closeAfterMs) {
    const HWND outerBox = std::exchange(gTimedBox, nullptr);
    gBoxHook = ::SetWindowsHookExW(WH_CBT, &CatchBox, nullptr, ::GetCurrentThreadId());
    // A thread timer: the box's own message loop runs it.
    const UINT_PTR timer = ::SetTimer(nullptr, 0, closeAfterMs, &CloseTimedBox);
    const int result = ::MessageBoxW(::GetActiveWindow(), text.c_str(), kProgramTitle, buttons | MB_SETFOREGROUND);
    ::KillTimer(nullptr, timer);
    if (gBoxHook) ::UnhookWindowsHookEx(gBoxHook);
    gBoxHook = nullptr;
    gTimedBox = outerBox;
    return result;
}

}  // namespace

void MakeBoxesUnattended(std::function<void(const std::wstring&)> report, DWORD closeAfterMs) {
    static Unattended settings;
    settings.report = std::move(report);
    settings.closeAfterMs = closeAfterMs;
    gUnattended = settings.report ? &settings : nullptr;
}

bool DesktopIsVisible() {
    USEROBJECTFLAGS flags{};
    DWORD needed = 0;
    HWINSTA station = ::GetProcessWindowStation();
    if (!station || !::GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, &needed)) return true;
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

int MsgBox(std::wstring_view prompt, UINT buttons) {
    const std::wstring text(prompt);
    if (gUnattended) {
        if (gUnattended->report) {
            try {
                gUnattended->report(text);
            } catch (...) {
            }
        }
        if (!DesktopIsVisible()) return IDOK;
        const int result = TimedBox(text, buttons, gUnattended->closeAfterMs);
        return result > 0 ? result : IDOK;
    }
    const int result = ::MessageBoxW(::GetActiveWindow(), text.c_str(), kProgramTitle, buttons | MB_SETFOREGROUND);
    return result > 0 ? result : 0;
}

std::wstring InputBox(std::wstring_view prompt, std::wstring_view defaultText, HWND owner,
                      const InputBoxLook& look) {
    TemplateWriter t;
    constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082;
    t.Dword(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    t.Dword(0);
    t.Word(4);  // items
    t.Word(0), t.Word(0), t.Word(240), t.Word(84);
    t.Word(0);  // no menu
    t.Word(0);  // default class
    t.Text(kProgramTitle);
    t.Word(8);
    t.Text(L"MS Shell Dlg");
    t.Item(SS_LEFT | SS_NOPREFIX, 7, 7, 170, 48, kPromptId, kStatic, L"");
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 184, 7, 50, 14, IDOK, kButton, look.ok);
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 184, 25, 50, 14, IDCANCEL, kButton, look.cancel);
    t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 62, 226, 14, kEditId, kEdit, L"");
    InputState state{std::wstring(prompt), std::wstring(defaultText), &look, {}};
    const INT_PTR r = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), t.Get(), owner, &InputProc,
                                                reinterpret_cast<LPARAM>(&state));
    return r == IDOK ? state.text : std::wstring();
}

}  // namespace rt
