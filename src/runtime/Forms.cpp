#include "runtime/Forms.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "core/ProgramError.h"
#include "runtime/SystemApi.h"

namespace rt {
namespace {

constexpr wchar_t kFormClass[] = L"OrvaneRuntimeForm";
constexpr int kFirstMenuId = 0x8000;

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

// The top-level form that owns a window, for dialog-style keyboard handling.
HWND FormOf(HWND hwnd) {
    HWND root = hwnd ? ::GetAncestor(hwnd, GA_ROOT) : nullptr;
    if (!root) return nullptr;
    wchar_t cls[64] = {};
    ::GetClassNameW(root, cls, 64);
    return std::wstring_view(cls) == kFormClass ? root : nullptr;
}

void Dispatch(MSG& msg) {
    if (HWND form = FormOf(msg.hwnd)) {
        auto* self = reinterpret_cast<Form*>(::GetWindowLongPtrW(form, GWLP_USERDATA));
        if (self && self->PreTranslateMessage(msg)) return;
        if (::IsDialogMessageW(form, &msg)) return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

// The message font in points (times ten), read once at system DPI.
struct DefaultFont {
    std::wstring face = L"MS Shell Dlg 2";
    int pointsTimes10 = 80;
};

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

struct ControlClass {
    const wchar_t* cls;
    DWORD style;
    DWORD exStyle;
};

ControlClass ClassFor(ControlKind kind) {
    switch (kind) {
    case ControlKind::Label: return {WC_STATICW, SS_LEFT, 0};
    case ControlKind::RightLabel: return {WC_STATICW, SS_RIGHT, 0};
    case ControlKind::PathLabel: return {WC_STATICW, SS_LEFT | SS_PATHELLIPSIS | SS_NOPREFIX, 0};
    case ControlKind::LineLabel: return {WC_STATICW, SS_LEFT | SS_ENDELLIPSIS | SS_NOPREFIX, 0};
    case ControlKind::Link: return {WC_STATICW, SS_LEFT | SS_NOTIFY, 0};
    case ControlKind::TextBox: return {WC_EDITW, ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::Button: return {WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, 0};
    // Multi-line: a long caption (another language) wraps instead of being cut.
    case ControlKind::OptionButton: return {WC_BUTTONW, BS_AUTORADIOBUTTON | BS_MULTILINE | WS_TABSTOP, 0};
    case ControlKind::CheckBox: return {WC_BUTTONW, BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case ControlKind::ListBox:
        return {WC_LISTBOXW, LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0};
    case ControlKind::MultiLineText:
        return {WC_EDITW, ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP,
                WS_EX_CLIENTEDGE};
    case ControlKind::Frame: return {WC_BUTTONW, BS_GROUPBOX, 0};
    case ControlKind::Picture: return {WC_STATICW, SS_ICON | SS_CENTERIMAGE, 0};
    case ControlKind::Image: return {WC_STATICW, SS_BITMAP | SS_CENTERIMAGE, 0};
    }
    return {WC_STATICW, SS_LEFT, 0};
}

std::wstring WindowText(HWND hwnd) {
    if (!hwnd) return {};
    const int n = ::GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    const int got = ::GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

void CentreOnWorkArea(HWND hwnd) {
    RECT wr{};
    ::GetWindowRect(hwnd, &wr);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    ::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &mi);
    const int w = wr.right - wr.left, h = wr.bottom - wr.top;
    ::SetWindowPos(hwnd, nullptr, mi.rcWork.left + ((mi.rcWork.right - mi.rcWork.left) - w) / 2,
                   mi.rcWork.top + ((mi.rcWork.bottom - mi.rcWork.top) - h) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CALLBACK CollectEnabledWindow(HWND h, LPARAM lp) {
    auto* list = reinterpret_cast<std::vector<HWND>*>(lp);
    if (::IsWindowVisible(h) && ::IsWindowEnabled(h)) list->push_back(h);
    return TRUE;
}

}  // namespace

int TwipsToPixels(int twips, unsigned dpi) {
    return ::MulDiv(twips, static_cast<int>(dpi), 1440);
}

int PixelsToTwips(int pixels, unsigned dpi) {
    return dpi ? ::MulDiv(pixels, 1440, static_cast<int>(dpi)) : pixels * 15;
}

unsigned WindowDpi(HWND hwnd) { return DpiOfWindow(hwnd); }

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

// ---- Control ---------------------------------------------------------------

void Control::SetCaption(std::wstring_view text) {
    designCaption_.assign(text);
    if (hwnd_) ::SetWindowTextW(hwnd_, designCaption_.c_str());
}

std::wstring Control::Caption() const { return hwnd_ ? WindowText(hwnd_) : designCaption_; }

void Control::Refresh() {
    if (!hwnd_) return;
    ::InvalidateRect(hwnd_, nullptr, TRUE);
    ::UpdateWindow(hwnd_);
}

int Control::Value() const {
    if (!hwnd_) return 0;
    const LRESULT state = ::SendMessageW(hwnd_, BM_GETCHECK, 0, 0);
    return state == BST_CHECKED ? 1 : state == BST_INDETERMINATE ? 2 : 0;
}

void Control::SetValue(int value) {
    if (!hwnd_) return;
    if (kind_ == ControlKind::CheckBox && value == 2) {
        // Grey needs the three-state style; keep it automatic otherwise.
        ::SendMessageW(hwnd_, BM_SETSTYLE, BS_AUTO3STATE, TRUE);
    }
    const WPARAM state = value == 1 ? BST_CHECKED : value == 2 ? BST_INDETERMINATE : BST_UNCHECKED;
    ::SendMessageW(hwnd_, BM_SETCHECK, state, 0);
    if (kind_ == ControlKind::OptionButton && value == 1) {
        // Clear the rest of the group, as a click would.
        HWND first = hwnd_;
        for (HWND h = ::GetNextDlgGroupItem(owner_->Hwnd(), hwnd_, FALSE); h && h != first;
             h = ::GetNextDlgGroupItem(owner_->Hwnd(), h, FALSE)) {
            ::SendMessageW(h, BM_SETCHECK, BST_UNCHECKED, 0);
        }
    }
}

void Control::SetEnabled(bool enabled) {
    if (hwnd_) ::EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

bool Control::Enabled() const { return hwnd_ && ::IsWindowEnabled(hwnd_); }

void Control::SetVisible(bool visible) {
    if (hwnd_) ::ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

void Control::SetIcon(HICON icon) {
    if (hwnd_) ::SendMessageW(hwnd_, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

void Control::SetBitmap(HBITMAP bitmap) {
    bitmap_.reset(bitmap);
    if (hwnd_) ::SendMessageW(hwnd_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
}

void Control::Move(const TwipsRect& at) {
    layout_ = at;
    if (!hwnd_ || !owner_) return;
    const unsigned dpi = WindowDpi(owner_->Hwnd());
    ::SetWindowPos(hwnd_, nullptr, TwipsToPixels(at.left, dpi), TwipsToPixels(at.top, dpi), TwipsToPixels(at.width, dpi),
                   TwipsToPixels(at.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
}

void Control::SetBold(bool bold) {
    bold_ = bold;
    if (hwnd_ && owner_) owner_->ApplyFont(*this);
}

void Control::AddItem(std::wstring_view text) {
    const std::wstring s(text);
    if (hwnd_) ::SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
}

void Control::ClearItems() {
    if (hwnd_) ::SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
}

int Control::ListCount() const {
    return hwnd_ ? static_cast<int>(::SendMessageW(hwnd_, LB_GETCOUNT, 0, 0)) : 0;
}

int Control::ListIndex() const {
    return hwnd_ ? static_cast<int>(::SendMessageW(hwnd_, LB_GETCURSEL, 0, 0)) : -1;
}

void Control::SetListIndex(int index) {
    if (!hwnd_) return;
    ::SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // A program's selection fires Click, as a user's would.
    if (Click) Click();
}

std::wstring Control::ItemText(int index) const {
    if (!hwnd_) return {};
    const LRESULT n = ::SendMessageW(hwnd_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n == LB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    ::SendMessageW(hwnd_, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(n));
    return text;
}

void Control::SetFont(BYTE charset, std::wstring_view faceName) {
    fontSet_ = true;
    charset_ = charset;
    face_.assign(faceName);
    if (hwnd_ && owner_) owner_->ApplyFont(*this);
}

// ---- Timer -----------------------------------------------------------------

void Timer::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Apply();
}

void Timer::SetInterval(unsigned milliseconds) {
    interval_ = milliseconds;
    Apply();
}

void Timer::Apply() {
    HWND hwnd = owner_ ? owner_->Hwnd() : nullptr;
    if (!hwnd) return;
    if (enabled_ && interval_ > 0) ::SetTimer(hwnd, id_, interval_, nullptr);
    else ::KillTimer(hwnd, id_);
}

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
    hwnd_ = ::CreateWindowExW(WS_EX_CONTROLPARENT, kFormClass, designCaption_.c_str(), style_, CW_USEDEFAULT,
                              CW_USEDEFAULT, 100, 100, owner_, nullptr, ::GetModuleHandleW(nullptr), this);
    if (!hwnd_) {
        loading_ = false;
        throw ProgramError(static_cast<long>(::GetLastError()), "The window could not be created");
    }
    FormList().push_back(this);
    for (auto& c : controls_) CreateControl(*c);
    RebuildMenus();
    PlaceAll();
    if (!defaultPosition_) CentreOnWorkArea(hwnd_);
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
    MSG msg;
    bool quit = false;
    int quitCode = 0;
    while (hwnd_ && ::IsWindowVisible(hwnd_)) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            quitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1) break;
        Dispatch(msg);
    }
    EndModal();
    if (quit) ::PostQuitMessage(quitCode);  // let the outer loop see it too
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
    designCaption_.assign(text);
    if (hwnd_) ::SetWindowTextW(hwnd_, designCaption_.c_str());
}

std::wstring Form::Caption() const { return hwnd_ ? WindowText(hwnd_) : designCaption_; }

Control& Form::Add(ControlKind kind, std::wstring name, std::wstring caption, TwipsRect at, bool startsGroup) {
    auto c = std::make_unique<Control>();
    c->owner_ = this;
    c->name_ = std::move(name);
    c->kind_ = kind;
    c->layout_ = at;
    c->designCaption_ = std::move(caption);
    c->startsGroup_ = startsGroup;
    c->id_ = nextId_++;
    Control& ref = *c;
    controls_.push_back(std::move(c));
    if (hwnd_) {
        CreateControl(ref);
        PlaceAll();
    }
    return ref;
}

Control& Form::operator[](std::wstring_view name) {
    for (auto& c : controls_) {
        if (c->name_ == name) return *c;
    }
    throw ProgramError(kErrNoSuchElement, "Control element '" + std::string(name.begin(), name.end()) + "' doesn't exist");
}

Timer& Form::AddTimer(std::wstring name, unsigned intervalMs) {
    auto t = std::make_unique<Timer>();
    t->owner_ = this;
    t->name_ = std::move(name);
    t->interval_ = intervalMs;
    t->id_ = static_cast<UINT_PTR>(nextId_++);
    timers_.push_back(std::move(t));
    return *timers_.back();
}

Timer& Form::GetTimer(std::wstring_view name) {
    for (auto& t : timers_) {
        if (t->name_ == name) return *t;
    }
    throw ProgramError(kErrNoSuchElement, "Timer '" + std::string(name.begin(), name.end()) + "' doesn't exist");
}

HMENU Form::BuildMenu(std::vector<MenuItem>& items, bool popup) {
    HMENU menu = popup ? ::CreatePopupMenu() : ::CreateMenu();
    UINT position = 0;
    for (auto& item : items) {
        menuPlace_[&item] = {menu, position++};
        if (item.items.empty()) {
            const int id = kFirstMenuId + nextMenuId_++;
            menuById_[id] = &item;
            if (item.caption == L"-") ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            else ::AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), item.caption.c_str());
        } else {
            HMENU sub = BuildMenu(item.items, true);
            dropDowns_[&item] = sub;
            ::AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), item.caption.c_str());
        }
    }
    return menu;
}

// Builds the bar and the pop-up menus afresh, with command ids from the start
// of their range: only a change of the menus' structure comes here.
void Form::RebuildMenus() {
    menuById_.clear();
    menuPlace_.clear();
    dropDowns_.clear();
    popupMenus_.clear();
    nextMenuId_ = 0;
    if (!hwnd_) return;
    HMENU old = ::GetMenu(hwnd_);
    ::SetMenu(hwnd_, menus_.empty() ? nullptr : BuildMenu(menus_, false));
    if (old) ::DestroyMenu(old);
    for (auto& popup : popups_) {
        // A pop-up menu shows its entries; the menu itself only holds them.
        UniqueMenu built(BuildMenu(popup.items, true));
        dropDowns_[&popup] = built.get();
        popupMenus_.push_back(std::move(built));
    }
}

void Form::SetMenuBar(std::vector<MenuItem> menus) {
    menus_ = std::move(menus);
    RebuildMenus();
    if (hwnd_) PlaceAll();
}

void Form::AddPopupMenu(MenuItem menu) {
    popups_.push_back(std::move(menu));
    RebuildMenus();
}

void Form::SetMenuItems(std::wstring_view name, std::vector<MenuItem> items) {
    auto* item = const_cast<MenuItem*>(FindMenu(name));
    if (!item) throw ProgramError(kErrNoSuchElement, "Menu item doesn't exist");
    item->items = std::move(items);
    RebuildMenus();
    if (hwnd_) ::DrawMenuBar(hwnd_);
}

const MenuItem* Form::FindIn(std::wstring_view name, const std::vector<MenuItem>& in) {
    for (const auto& item : in) {
        if (item.name == name) return &item;
        if (const MenuItem* found = FindIn(name, item.items)) return found;
    }
    return nullptr;
}

const MenuItem* Form::FindMenu(std::wstring_view name, const std::vector<MenuItem>& in,
                               const std::vector<MenuItem>& popups) {
    const MenuItem* found = FindIn(name, in);
    return found ? found : FindIn(name, popups);
}

MenuItem* Form::FindMenuById(int id) {
    auto it = menuById_.find(id);
    return it == menuById_.end() ? nullptr : it->second;
}

void Form::SetMenuCaption(std::wstring_view name, std::wstring_view caption) {
    auto* item = const_cast<MenuItem*>(FindMenu(name));
    if (!item) throw ProgramError(kErrNoSuchElement, "Menu item doesn't exist");
    item->caption.assign(caption);
    auto place = menuPlace_.find(item);
    if (place == menuPlace_.end() || item->caption == L"-") return;
    // In place: the menu, its handle and its ids stay as they are.
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = item->caption.data();
    ::SetMenuItemInfoW(place->second.menu, place->second.position, TRUE, &info);
    if (hwnd_ && place->second.menu == ::GetMenu(hwnd_)) ::DrawMenuBar(hwnd_);
}

std::wstring Form::MenuCaption(std::wstring_view name) const {
    const MenuItem* item = FindMenu(name);
    return item ? item->caption : std::wstring();
}

HMENU Form::MenuHandle(std::wstring_view name) const {
    const MenuItem* item = FindMenu(name);
    auto it = item ? dropDowns_.find(item) : dropDowns_.end();
    return it == dropDowns_.end() ? nullptr : it->second;
}

int Form::MenuId(const MenuItem& item) const {
    for (const auto& [id, entry] : menuById_) {
        if (entry == &item) return id;
    }
    return 0;
}

void Form::PopupMenu(std::wstring_view name) {
    HMENU menu = MenuHandle(name);
    if (!menu || !hwnd_) return;
    POINT pt{};
    ::GetCursorPos(&pt);
    // The choice comes back as WM_COMMAND, like a menu-bar command.
    ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, pt.x, pt.y, 0, hwnd_, nullptr);
}

void Form::SetMousePointer(int pointer) {
    mousePointer_ = pointer;
    ::SetCursor(::LoadCursorW(nullptr, pointer == 11 ? IDC_WAIT : IDC_ARROW));
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

void Form::CreateControl(Control& c) {
    if (c.hwnd_) return;
    const ControlClass cc = ClassFor(c.kind_);
    DWORD style = WS_CHILD | WS_VISIBLE | cc.style;
    if (c.startsGroup_ || c.kind_ != ControlKind::OptionButton) style |= WS_GROUP;
    c.hwnd_ = ::CreateWindowExW(cc.exStyle, cc.cls, c.designCaption_.c_str(), style, 0, 0, 0, 0, hwnd_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id_)), ::GetModuleHandleW(nullptr),
                                nullptr);
    if (c.kind_ == ControlKind::Image && c.bitmap_) {
        ::SendMessageW(c.hwnd_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(c.bitmap_.get()));
    }
    if (c.kind_ == ControlKind::Frame) {
        // Frames stay behind the controls they hold.
        ::SetWindowPos(c.hwnd_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void Form::ApplyFont(Control& c) {
    const DefaultFont& base = SystemMessageFont();
    // An empty face set on purpose stays empty: the font mapper then picks
    // one for the character set.
    if (!c.fontSet_) c.face_ = base.face;
    if (c.pointsTimes10_ == 0) c.pointsTimes10_ = base.pointsTimes10;
    const int height = ::MulDiv(c.pointsTimes10_, static_cast<int>(WindowDpi(hwnd_)), 720);
    if (HFONT font = fonts_.Get(c.face_, height, c.charset_, c.bold_ ? FW_BOLD : FW_NORMAL,
                                c.kind_ == ControlKind::Link)) {
        ::SendMessageW(c.hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

void Form::PlaceAll() {
    if (!hwnd_) return;
    const unsigned dpi = WindowDpi(hwnd_);
    RECT r{0, 0, TwipsToPixels(clientWidthTwips_, dpi), TwipsToPixels(clientHeightTwips_, dpi)};
    AdjustWindowRectForDpi(r, style_, ::GetMenu(hwnd_) != nullptr, WS_EX_CONTROLPARENT, dpi);
    ::SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (auto& c : controls_) {
        if (!c->hwnd_) continue;
        const TwipsRect& t = c->layout_;
        ::SetWindowPos(c->hwnd_, nullptr, TwipsToPixels(t.left, dpi), TwipsToPixels(t.top, dpi),
                       TwipsToPixels(t.width, dpi), TwipsToPixels(t.height, dpi),
                       SWP_NOZORDER | SWP_NOACTIVATE);
        ApplyFont(*c);
    }
}

void Form::OnDestroyed() {
    hwnd_ = nullptr;
    destroying_ = false;
    for (auto& c : controls_) c->hwnd_ = nullptr;
    menuById_.clear();
    menuPlace_.clear();
    dropDowns_.clear();
    popupMenus_.clear();
    auto& forms = FormList();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    // Wake the main loop so it sees that no form is left; a thread message
    // rather than WM_QUIT, which would also end any nested modal loop.
    if (forms.empty()) ::PostThreadMessageW(::GetCurrentThreadId(), WM_NULL, 0, 0);
}

Control* Form::ControlOf(HWND hwnd) {
    for (auto& c : controls_) {
        if (c->hwnd_ && c->hwnd_ == hwnd) return c.get();
    }
    return nullptr;
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND: {
        const int id = LOWORD(wp);
        const int code = HIWORD(wp);
        if (lp == 0 && code == 0) {
            if (MenuItem* item = FindMenuById(id); item && item->click) item->click();
            return 0;
        }
        for (auto& c : controls_) {
            if (c->id_ != id) continue;
            if (c->kind_ == ControlKind::ListBox) {
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
            if (t->id_ == wp && t->enabled_ && t->Tick) {
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
        if (Control* c = ControlOf(reinterpret_cast<HWND>(lp)); c && c->kind_ == ControlKind::Link) {
            HDC dc = reinterpret_cast<HDC>(wp);
            ::SetTextColor(dc, RGB(0, 0, 255));
            ::SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
        }
        break;
    case WM_SETCURSOR:
        if (mousePointer_ == 11) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        }
        if (Control* c = ControlOf(reinterpret_cast<HWND>(wp)); c && c->kind_ == ControlKind::Link) {
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

void DoEvents() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        Dispatch(msg);
    }
}

namespace {

void DispatchPaintOnly() {
    MSG msg;
    // PM_QS_PAINT takes paint messages alone (sent messages are delivered by
    // any PeekMessage); input stays queued, so no click re-enters an action.
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        Dispatch(msg);
    }
}

}  // namespace

bool WaitPaintingOnly(HANDLE handle, DWORD timeoutMs) {
    // Windows marks a window "Not Responding" when its thread has not looked
    // at its queue for 5 s: look at least every quarter second.
    constexpr DWORD kSlice = 250;
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        DWORD slice = kSlice;
        if (timeoutMs != INFINITE) {
            const ULONGLONG elapsed = ::GetTickCount64() - start;
            if (elapsed >= timeoutMs) return handle && ::WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
            slice = static_cast<DWORD>(std::min<ULONGLONG>(kSlice, timeoutMs - elapsed));
        }
        const DWORD r = ::MsgWaitForMultipleObjects(handle ? 1 : 0, handle ? &handle : nullptr, FALSE, slice, QS_PAINT);
        if (handle && r == WAIT_OBJECT_0) return true;
        if (r == WAIT_FAILED) {
            if (handle) return false;  // not a handle that can be waited on
            ::Sleep(slice);
        }
        DispatchPaintOnly();
    }
}

int RunMessageLoop() {
    MSG msg;
    while (!FormList().empty()) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got == -1) return 1;
        Dispatch(msg);
    }
    return 0;
}

}  // namespace rt
