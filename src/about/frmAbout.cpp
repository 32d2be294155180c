#include "about/frmAbout.h"

#include <shellapi.h>

#include <cwchar>

#include "about/AboutResources.h"
#include "about/HtmlText.h"
#include "about/WebBrowserHost.h"
#include "localize/FormTexts.h"
#include "localize/RestartResCONST.h"
#include "localize/modLocalize.h"
#include "runtime/App.h"
#include "runtime/ComLibrary.h"
#include "runtime/SystemApi.h"
#include "runtime/ErrorReporting.h"
#include "runtime/FileSystem.h"
#include "runtime/Text.h"

namespace {

// Numbers as text with a blank in front of non-negative ones.
std::wstring SignedText(long n) { return (n >= 0 ? L" " : L"") + std::to_wstring(n); }

std::wstring Trimmed(std::wstring s) {
    const auto first = s.find_first_not_of(L' ');
    if (first == std::wstring::npos) return {};
    return s.substr(first, s.find_last_not_of(L' ') - first + 1);
}

bool IsNonEmptyFile(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    return data.nFileSizeHigh != 0 || data.nFileSizeLow != 0;
}

// The page as plain text with Windows line ends; empty when unreadable.
std::wstring PageText(const std::wstring& file) {
    rt::UniqueHandle h(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (!h || !::GetFileSizeEx(h.get(), &size) || size.QuadPart > (1 << 20)) return {};
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!bytes.empty() && !::ReadFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) return {};
    bytes.resize(got);
    std::wstring text;
    for (wchar_t c : rt::FromUtf8(HtmlToText(bytes))) {
        if (c == L'\n') text += L'\r';
        text += c;
    }
    return text;
}

constexpr rt::TwipsRect kBrowserDesign{180, 180, 9075, 7335};

}  // namespace

HelpPage ChooseHelpPage(const std::wstring& folder, const std::wstring& languageCode) {
    const std::wstring own = rt::JoinPath(folder, L"OrvaneScheduledRestart_" + Trimmed(languageCode) + L".htm");
    // An empty page would show nothing: the neutral one helps more.
    if (rt::gFileSystem().FileExists(own) && IsNonEmptyFile(own)) return {own, own};
    const std::wstring neutral = rt::JoinPath(folder, L"OrvaneScheduledRestart.htm");
    return {neutral, L"file://" + neutral};
}

// ---- frmDetails -------------------------------------------------------------

frmDetails::frmDetails(std::wstring folder)
    : rt::Form(L"frmDetails", L"Orvane Scheduled Restart", 9315, 7545, rt::Form::kSizable),
      folder_(std::move(folder)) {
    UseDefaultPosition();
    // Stands where the browser would when the page opens elsewhere.
    Add(rt::ControlKind::MultiLineText, L"txtHelp", L"", kBrowserDesign);
    Publish(L"frmDetails_Auto_Init", [this] { frmDetails_Auto_Init(); });
}

frmDetails::~frmDetails() = default;

void frmDetails::frmDetails_Auto_Init() {
    ApplyFormTexts(*this, {true, IDS_PROGRAM_CAPTION, {}});
    if (!browser_) ShowNote();
}

void frmDetails::ShowNote() {
    std::wstring text = opened_ ? mymyLoadString(IDS_HELP_IN_BROWSER) + L"\r\n" + page_.file
                                : mymyLoadString(IDS_HELP_NOT_OPENED) + L"\r\n" + page_.file + L"\r\n" + failure_;
    // No browser at all: the page's own words, as plain text.
    if (!opened_ && !pageText_.empty()) text += L"\r\n\r\n" + pageText_;
    (*this)[L"txtHelp"].SetCaption(text);
}

void frmDetails::Form_Load() {
    frmDetails_Auto_Init();
    const std::wstring folder = folder_.empty() ? rt::App().path : folder_;
    page_ = ChooseHelpPage(folder, strLanguageCodeFromId(gLanguageId));
    if (WebBrowserHost::EngineAvailable()) {
        auto browser = std::make_unique<WebBrowserHost>();
        if (browser->Create(Hwnd()) && SUCCEEDED(browser->Navigate(page_.address))) browser_ = std::move(browser);
    }
    rt::Control& text = (*this)[L"txtHelp"];
    text.SetVisible(!browser_);
    if (!browser_) {
        // No engine to render with (or no control): the default browser
        // shows the page, and this window says where it went.
        ::SendMessageW(text.Hwnd(), EM_SETREADONLY, TRUE, 0);
        page_.address = page_.file;
        opened_ = OpenInDefaultBrowser(page_.file, failure_);
        if (!opened_) pageText_ = PageText(page_.file);
        ShowNote();
    }
    Form_Resize();
}

bool frmDetails::OpenInDefaultBrowser(const std::wstring& file, std::wstring& failure) {
    if (!IsNonEmptyFile(file)) {
        failure = rt::SystemErrorText(ERROR_FILE_NOT_FOUND);
        return false;
    }
    return ShellOpen(file, failure);
}

bool frmDetails::ShellOpen(const std::wstring& file, std::wstring& failure) {
    // Looked up when first needed: the shell library is large, and nothing
    // else before the first paint needs it.
    using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
    static const auto shellExecute = rt::SystemFunction<ShellExecuteFn>(L"shell32.dll", "ShellExecuteW");
    rt::EnsureOle();  // the shell may hand the file to an extension
    if (!shellExecute) {
        failure = rt::SystemErrorText(ERROR_PROC_NOT_FOUND);
        return false;
    }
    const auto result = reinterpret_cast<INT_PTR>(shellExecute(Hwnd(), L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) return true;
    failure = rt::SystemErrorText(result == SE_ERR_NOASSOC ? ERROR_NO_ASSOCIATION : static_cast<DWORD>(result));
    return false;
}

void frmDetails::Form_Unload(bool&) { browser_.reset(); }

// The page gets its keys before the dialog manager would take Tab for itself.
bool frmDetails::PreTranslateMessage(MSG& msg) { return browser_ && browser_->OfferKey(msg); }

void frmDetails::Form_Resize() {
    if (!Hwnd() || ::IsIconic(Hwnd())) return;
    const unsigned dpi = rt::WindowDpi(Hwnd());
    RECT outer{};
    ::GetWindowRect(Hwnd(), &outer);
    const int width = rt::PixelsToTwips(outer.right - outer.left, dpi);
    const int height = rt::PixelsToTwips(outer.bottom - outer.top, dpi);
    if (width < 2500 || height < 2400) {
        // Comes back here with the corrected size.
        ::SetWindowPos(Hwnd(), nullptr, 0, 0, rt::TwipsToPixels(std::max(width, 2500), dpi),
                       rt::TwipsToPixels(std::max(height, 2400), dpi), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    const rt::TwipsRect at{100, 1, width - 200, height - 400};
    (*this)[L"txtHelp"].Move(at);
    if (browser_) {
        ::SetWindowPos(browser_->Hwnd(), nullptr, rt::TwipsToPixels(at.left, dpi), rt::TwipsToPixels(at.top, dpi),
                       rt::TwipsToPixels(at.width, dpi), rt::TwipsToPixels(at.height, dpi),
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// ---- frmAbout ---------------------------------------------------------------

frmAbout::frmAbout(std::wstring folder, std::wstring exeName)
    : rt::Form(L"frmAbout", L"Orvane Scheduled Restart", 6090, 3285, rt::Form::kFixedDialog),
      folder_(std::move(folder)),
      exeName_(std::move(exeName)) {
    using K = rt::ControlKind;
    const HINSTANCE self = ::GetModuleHandleW(nullptr);
    const auto bitmap = [self](int id) {
        return static_cast<HBITMAP>(::LoadImageW(self, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    };
    Add(K::Image, L"picOrvaneLogo", L"", {180, 60, 2190, 870}).SetBitmap(bitmap(IDB_ORVANE_LOGO));
    Add(K::Label, L"lblVersionTitle", L"Version:", {3240, 300, 975, 195}).SetBold(true);
    Add(K::Label, L"lblVersion", L" ", {4260, 300, 1755, 255});
    Add(K::Label, L"lblCopyright", L"", {180, 1140, 5835, 195});
    Add(K::Label, L"lblTrademark", L"", {180, 1500, 5835, 195});
    Add(K::Link, L"lblChangeLanguage", L"Change Language", {180, 1860, 2895, 195}).Click = [this] {
        PopupMenu(L"mnuSelectLanguage");
    };
    Add(K::Image, L"picHalvexLogo", L"", {60, 2280, 1560, 930}).SetBitmap(bitmap(IDB_MAKER_LOGO));
    Add(K::Label, L"lblHalvexAddress1", L"", {1680, 2460, 2835, 195});
    Add(K::Label, L"lblHalvexAddress2", L"", {1680, 2700, 2835, 195});
    Add(K::Label, L"lblHalvexAddress3", L"", {1680, 2940, 2835, 195});
    Add(K::Button, L"cmdOK", L"OK", {4680, 2760, 1275, 375}, true).Click = [this] { Hide(); };
    AddPopupMenu({L"mnuSelectLanguage", L"Select Language DO NOT LOCALIZE", nullptr,
                  {{L"mnuLanguageList", L"LanguageList", [this] { mnuLanguageList_Click(0); }, {}}}});
    Publish(L"frmAbout_Auto_Init", [this] { frmAbout_Auto_Init(); });
}

void frmAbout::frmAbout_Auto_Init() {
    // What is set after the fonts and the caption, in this order.
    static constexpr TextOf kTexts[] = {
        Ctl(L"cmdOK", IDS_OK), Ctl(L"lblHalvexAddress2", IDS_MAKER_CITY), Ctl(L"lblHalvexAddress3", IDS_MAKER_COUNTRY),
        Ctl(L"lblChangeLanguage", IDS_CHANGE_LANGUAGE), Ctl(L"lblTrademark", IDS_MAKER_TRADEMARK), Ctl(L"lblCopyright", IDS_MAKER_COPYRIGHT),
        Ctl(L"lblHalvexAddress1", IDS_MAKER_COMPANY), Ctl(L"lblVersionTitle", IDS_VERSION),
    };
    ApplyFormTexts(*this, {false, IDS_PROGRAM_CAPTION, kTexts});
    SetMenuCaption(L"mnuSelectLanguage", L"Select Language DO NOT LOCALIZE");
}

void frmAbout::InitLanguages() const {
    if (folder_.empty()) InitalizeLanguages();
    else InitalizeLanguagesIn(folder_, exeName_);
}

void frmAbout::Form_Load() {
    frmAbout_Auto_Init();
    rt::ContinueSilently([this] {
        const rt::AppInfo& app = rt::App();
        (*this)[L"lblVersion"].SetCaption(SignedText(app.major) + L"." + Trimmed(SignedText(app.minor)) + L" Build" +
                                          SignedText(app.revision));
    });
    rt::ContinueSilently([this] { InitLanguages(); });
    std::vector<rt::MenuItem> entries;
    tags_.clear();
    if (gLanguageCodes.size() <= 1) {
        entries.push_back({L"mnuLanguageList", mymyLoadString(IDS_NO_LANGUAGES), [this] { mnuLanguageList_Click(0); }, {}});
        tags_.push_back(L"1033");
    } else {
        for (std::size_t i = 0; i < gLanguageCodes.size(); ++i) {
            rt::ContinueSilently([&] {
                const std::wstring& code = gLanguageCodes[i];
                const int index = static_cast<int>(i);
                entries.push_back(
                    {L"mnuLanguageList", strLanguageNameFromCode(code), [this, index] { mnuLanguageList_Click(index); }, {}});
                tags_.push_back(SignedText(LanguageIdFromCode(code)));
            });
        }
    }
    rt::ContinueSilently([&] { SetMenuItems(L"mnuSelectLanguage", std::move(entries)); });
}

// The switch: every loaded window takes the new language's texts and fonts.
void frmAbout::mnuLanguageList_Click(int index) {
    SetMousePointer(rt::MousePointer::Hourglass);
    rt::ContinueSilently([&] {
        gLanguageId = static_cast<std::int32_t>(std::wcstol(tags_.at(static_cast<std::size_t>(index)).c_str(), nullptr, 10));
    });
    rt::ContinueSilently([this] { InitLanguages(); });
    // A copy: the list must not change under the loop.
    const std::vector<rt::Form*> forms = rt::LoadedForms();
    for (rt::Form* form : forms) {
        rt::ContinueSilently([&] { SetFormLanguageFonts(*form); });
        rt::ContinueSilently([&] {
            const std::wstring init = form->Name() + L"_Auto_Init";
            if (form->HasOperation(init)) form->CallByName(init);
        });
        for (const auto& control : form->Controls()) rt::ContinueSilently([&] { control->Refresh(); });
    }
    SetMousePointer(rt::MousePointer::Default);
}

// Closing only hides it, as OK does: later switches still reach it.
void frmAbout::Form_Unload(bool& cancel) {
    cancel = true;
    Hide();
}

frmDetails& TheDetailsForm() {
    static frmDetails form;
    return form;
}

frmAbout& TheAboutForm() {
    static frmAbout form;
    return form;
}
