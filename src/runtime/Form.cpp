#include "runtime/Form.h"

#include <algorithm>
#include <utility>

#include "core/ProgramError.h"
#include "runtime/SystemApi.h"

namespace rt {
namespace {

constexpr wchar_t kFormClass[] = L"OrvaneRuntimeForm";

std::vector<Form*>& FormList() {
    static std::vector<Form*> forms;
    return forms;
}

ATOM RegisterFormClass(WNDPROC proc) {
    static ATOM atom = [proc] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hIcon = ::LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kFormClass;
        return ::RegisterClassExW(&wc);
    }();
    return atom;
}

BOOL CALLBACK CollectEnabledWindow(HWND h, LPARAM lp) {
    auto* list = reinterpret_cast<std::vector<HWND>*>(lp);
    if (::IsWindowVisible(h) && ::IsWindowEnabled(h)) list->push_back(h);
    return TRUE;
}

}  // namespace

// ---- Form ------------------------------------------------------------------

Form::Form(std::wstring name, std::wstring designCaption, int clientWidthTwips, int clientHeightTwips,
           DWORD style)
    : name_(std::move(name)),
      designCaption_(std::move(designCaption)),
      clientWidthTwips_(clientWidthTwips),
      clientHeightTwips_(clientHeightTwips),
      style_(style) {}

Form::~Form() {
    if (hwnd_) {
        destroying_ = true;
        ::DestroyWindow(hwnd_);
    }
    auto& forms = FormList();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
}

bool Form::IsVisible() const { return hwnd_ && ::IsWindowVisible(hwnd_); }

void Form::Load() {
    if (hwnd_ || loading_) return;
    loading_ = true;
    RegisterFormClass(&Form::WndProc);
    // The frame is made once, with its menu, in its size and place for the
    // system DPI; then the controls in their places. Every move before the
    // first paint is a round trip to the window server.
    UniqueMenu bar(menus_.BuildBar());
    const unsigned guess = WindowDpi(nullptr);
    const bool centre = !defaultPosition_;
    const RECT at = FrameRect(guess, bar != nullptr, ::MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY));
    hwnd_ = ::CreateWindowExW(WS_EX_CONTROLPARENT, kFormClass, designCaption_.c_str(), style_,
                              centre ? at.left : CW_USEDEFAULT, centre ? at.top : CW_USEDEFAULT, at.right - at.left,
                              at.bottom - at.top, owner_, bar.get(), ::GetModuleHandleW(nullptr), this);
    if (!hwnd_) {
        loading_ = false;
        menus_.Forget();
        throw ProgramError(static_cast<long>(::GetLastError()), "The window could not be created");
    }
    bar.release();  // the window's now
    FormList().push_back(this);
    OpenTarget(*this);
    const unsigned dpi = WindowDpi(hwnd_);
    if (dpi != guess) PlaceFrame(dpi, centre);  // made on a monitor of another DPI
    for (auto& c : controls_) c->Create(dpi);
    for (auto& t : timers_) t->Apply();
    try {
        Form_Load();
    } catch (...) {
        loading_ = false;
        throw;
    }
    loading_ = false;
}

void Form::Show(ShowMode mode, HWND owner) {
    if (owner != owner_) {
        owner_ = owner;
        // A form kept loaded (About, help) takes the owner of this opening.
        if (hwnd_) ::SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    }
    Load();
    if (!hwnd_) return;  // Form_Load unloaded it
    if (mode == ShowMode::Modeless) {
        ::ShowWindow(hwnd_, ::IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
        ::SetForegroundWindow(hwnd_);
        return;
    }
    // Modal: disable every other enabled top-level window of this thread.
    std::vector<HWND> disabled;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectEnabledWindow, reinterpret_cast<LPARAM>(&disabled));
    disabled.erase(std::remove(disabled.begin(), disabled.end(), hwnd_), disabled.end());
    for (HWND h : disabled) ::EnableWindow(h, FALSE);
    modalDisabled_ = std::move(disabled);
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetForegroundWindow(hwnd_);
    RunModalLoop([this] { return hwnd_ && ::IsWindowVisible(hwnd_); });
    EndModal();
}

// The windows a modal show disabled come back before the form goes, so that
// Windows can hand the activation to the owner rather than to nowhere.
void Form::EndModal() {
    for (HWND h : std::exchange(modalDisabled_, {})) {
        if (::IsWindow(h)) ::EnableWindow(h, TRUE);
    }
}

void Form::ActivateOwner(HWND owner) {
    if (owner && ::IsWindowVisible(owner) && ::IsWindowEnabled(owner)) ::SetForegroundWindow(owner);
}

void Form::Hide() {
    if (!hwnd_) return;
    const bool active = ::GetActiveWindow() == hwnd_;
    EndModal();
    ::ShowWindow(hwnd_, SW_HIDE);
    if (active) ActivateOwner(owner_);
}

void Form::Unload() {
    if (!hwnd_ || destroying_) return;
    bool cancel = false;
    Form_Unload(cancel);
    if (cancel || !hwnd_) return;
    const bool active = ::GetActiveWindow() == hwnd_;
    const HWND owner = owner_;
    EndModal();
    destroying_ = true;
    ::DestroyWindow(hwnd_);
    if (active) ActivateOwner(owner);
}

void Form::SetCaption(std::wstring_view text) {
    if (hwnd_ && text == WindowText(hwnd_)) return;  // the window has it: no repaint
    designCaption_.assign(text);
    if (hwnd_) ::SetWindowTextW(hwnd_, designCaption_.c_str());
}

std::wstring Form::Caption() const { return hwnd_ ? WindowText(hwnd_) : designCaption_; }

Control& Form::Add(ControlKind kind, std::wstring name, std::wstring caption, TwipsRect at, bool startsGroup) {
    controls_.push_back(std::make_unique<Control>(*this, kind, std::move(name), std::move(caption), at, startsGroup,
                                                  nextId_++));
    Control& ref = *controls_.back();
    ref.Create(hwnd_ ? WindowDpi(hwnd_) : 96);
    return ref;
}

Control& Form::operator[](std::wstring_view name) {
    for (auto& c : controls_) {
        if (c->Name() == name) return *c;
    }
    throw ProgramError(kErrNoSuchElement, "Control element '" + std::string(name.begin(), name.end()) + "' doesn't exist");
}

Timer& Form::AddTimer(std::wstring name, unsigned intervalMs) {
    timers_.push_back(std::make_unique<Timer>(*this, std::move(name), intervalMs, static_cast<UINT_PTR>(nextId_++)));
    return *timers_.back();
}

Timer& Form::GetTimer(std::wstring_view name) {
    for (auto& t : timers_) {
        if (t->Name() == name) return *t;
    }
    throw ProgramError(kErrNoSuchElement, "Timer '" + std::string(name.begin(), name.end()) + "' doesn't exist");
}

void Form::SetMousePointer(MousePointer pointer) {
    mousePointer_ = pointer;
    ::SetCursor(::LoadCursorW(nullptr, pointer == MousePointer::Hourglass ? IDC_WAIT : IDC_ARROW));
}

void Form::Publish(std::wstring operation, std::function<void()> body) {
    operations_[std::move(operation)] = std::move(body);
}

bool Form::HasOperation(std::wstring_view operation) const {
    return operations_.find(operation) != operations_.end();
}

void Form::CallByName(std::wstring_view operation) {
    auto it = operations_.find(operation);
    if (it == operations_.end()) throw ProgramError(kErrNoSuchMember, "Object doesn't support this property or method");
    it->second();
}

RECT Form::FrameRect(unsigned dpi, bool menu, HMONITOR monitor) const {
    RECT r{0, 0, TwipsToPixels(clientWidthTwips_, dpi), TwipsToPixels(clientHeightTwips_, dpi)};
    AdjustWindowRectForDpi(r, style_, menu, WS_EX_CONTROLPARENT, dpi);
    const int width = r.right - r.left, height = r.bottom - r.top;
    RECT at{0, 0, width, height};
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (monitor && ::GetMonitorInfoW(monitor, &mi)) {
        at.left = mi.rcWork.left + ((mi.rcWork.right - mi.rcWork.left) - width) / 2;
        at.top = mi.rcWork.top + ((mi.rcWork.bottom - mi.rcWork.top) - height) / 2;
        at.right = at.left + width;
        at.bottom = at.top + height;
    }
    return at;
}

void Form::PlaceFrame(unsigned dpi, bool centre) {
    const RECT at = FrameRect(dpi, ::GetMenu(hwnd_) != nullptr,
                              centre ? ::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY) : nullptr);
    ::SetWindowPos(hwnd_, nullptr, at.left, at.top, at.right - at.left, at.bottom - at.top,
                   SWP_NOZORDER | SWP_NOACTIVATE | (centre ? 0 : SWP_NOMOVE));
}

void Form::PlaceAll() {
    if (!hwnd_) return;
    const unsigned dpi = WindowDpi(hwnd_);
    PlaceFrame(dpi, false);
    for (auto& c : controls_) c->Place(dpi);
}

void Form::OnDestroyed() {
    hwnd_ = nullptr;
    destroying_ = false;
    for (auto& c : controls_) c->Forget();
    menus_.Forget();
    auto& forms = FormList();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    CloseTarget(*this);
}

Control* Form::ControlOf(HWND hwnd) {
    for (auto& c : controls_) {
        if (c->Hwnd() && c->Hwnd() == hwnd) return c.get();
    }
    return nullptr;
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND: {
        const int id = LOWORD(wp);
        const int code = HIWORD(wp);
        if (lp == 0 && code == 0) {
            if (MenuItem* item = menus_.ById(id); item && item->click) item->click();
            return 0;
        }
        for (auto& c : controls_) {
            if (c->Id() != id) continue;
            if (c->Kind() == ControlKind::ListBox) {
                if (code == LBN_SELCHANGE && c->Click) c->Click();
            } else if (code == BN_CLICKED && c->Click) {
                c->Click();
            }
            return 0;
        }
        break;
    }
    case WM_TIMER:
        for (auto& t : timers_) {
            if (t->Id() == wp && t->Enabled() && t->Tick) {
                t->Tick();
                return 0;
            }
        }
        return 0;
    case WM_CLOSE:
        Unload();
        return 0;
    case WM_SIZE:
        Form_Resize();
        return 0;
    case WM_CTLCOLORSTATIC:
        if (Control* c = ControlOf(reinterpret_cast<HWND>(lp)); c && c->Kind() == ControlKind::Link) {
            HDC dc = reinterpret_cast<HDC>(wp);
            ::SetTextColor(dc, RGB(0, 0, 255));
            ::SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
        }
        break;
    case WM_SETCURSOR:
        if (mousePointer_ == MousePointer::Hourglass) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        }
        if (Control* c = ControlOf(reinterpret_cast<HWND>(wp)); c && c->Kind() == ControlKind::Link) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    case WM_DPICHANGED: {
        const RECT* suggested = reinterpret_cast<const RECT*>(lp);
        ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        PlaceAll();
        return 0;
    }
    default:
        break;
    }
    return ::DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK Form::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Form* self = reinterpret_cast<Form*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        self = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    }
    if (!self) return ::DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->OnDestroyed();
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
    return self->HandleMessage(msg, wp, lp);
}

const std::vector<Form*>& LoadedForms() { return FormList(); }


// ---- Menus -------------------------------------------------------------------

void Form::SetMenuBar(std::vector<MenuItem> menus) {
    menus_.SetBar(std::move(menus));
    menus_.Build(hwnd_);
    if (hwnd_) PlaceAll();
}

void Form::AddPopupMenu(MenuItem menu) {
    menus_.AddPopup(std::move(menu));
    menus_.Build(hwnd_);
}

void Form::SetMenuItems(std::wstring_view name, std::vector<MenuItem> items) {
    menus_.SetItems(name, std::move(items));
    menus_.Build(hwnd_);
    if (hwnd_) ::DrawMenuBar(hwnd_);
}

void Form::SetMenuCaption(std::wstring_view name, std::wstring_view caption) { menus_.SetCaption(hwnd_, name, caption); }
std::wstring Form::MenuCaption(std::wstring_view name) const { return menus_.Caption(name); }
HMENU Form::MenuHandle(std::wstring_view name) const { return menus_.DropDown(name); }
int Form::MenuId(const MenuItem& item) const { return menus_.Id(item); }
void Form::PopupMenu(std::wstring_view name) { menus_.Popup(hwnd_, name); }

}  // namespace rt
