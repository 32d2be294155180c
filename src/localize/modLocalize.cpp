#include "localize/modLocalize.h"

#include <windows.h>

#include "localize/LanguageTables.h"
#include "runtime/App.h"
#include "runtime/ErrorReporting.h"
#include "runtime/FileSystem.h"
#include "core/ProgramError.h"
#include "runtime/Text.h"

std::int32_t gLanguageId = 0;
rt::UniqueModule gLanguageLibrary;
std::vector<std::wstring> gLanguageCodes{std::wstring()};

namespace {

constexpr int kFetchBuffer = 1200;

// The program's own table; every built-in text is non-empty, so nothing
// copied means the identifier is not there.
std::wstring BuiltInString(std::int32_t id) {
    wchar_t buffer[kFetchBuffer] = {};
    const int n = ::LoadStringW(::GetModuleHandleW(nullptr), static_cast<UINT>(id), buffer, kFetchBuffer);
    if (n < 1) throw ProgramError(kErrResourceNotFound, "Resource with identifier '" + std::to_string(id) + "' not found");
    return std::wstring(buffer, static_cast<std::size_t>(n));
}

template <class Step>
void LanguageStep(Step&& step) {
    rt::ContinueAfterPrefixedBox(L"Error in InitalizeLanguages: ", step);
}

}  // namespace

std::wstring mymyLoadString(std::int32_t id) {
    std::wstring result;
    rt::ContinueAfterPrefixedBox(L"error in mymyLoadString: ", [&] {
        if (gLanguageLibrary) {
            wchar_t buffer[kFetchBuffer] = {};
            const int n = ::LoadStringW(gLanguageLibrary.get(), static_cast<UINT>(id), buffer, kFetchBuffer);
            if (n >= 1) {
                result.assign(buffer, static_cast<std::size_t>(n));
                return;
            }
        }
        result = BuiltInString(id);
    });
    return result;
}

std::wstring LanguageLibraryPath(const std::wstring& folder, const std::wstring& exeName, const std::wstring& code) {
    return rt::JoinPath(folder, exeName + L"_" + code + L".dll");
}

std::vector<std::wstring> DiscoverLanguageCodes(const std::wstring& folder, const std::wstring& exeName) {
    std::vector<std::wstring> codes;
    for (const rt::FileEntry& file : rt::gFileSystem().Files(folder)) {
        std::wstring code = LanguageCodeOfFile(file.name, exeName);
        if (!code.empty()) codes.push_back(std::move(code));
    }
    if (codes.empty()) codes.emplace_back();
    return codes;
}

void InitalizeLanguagesIn(const std::wstring& folder, const std::wstring& exeName) {
    LanguageStep([] {
        if (gLanguageId == 0) gLanguageId = static_cast<std::int16_t>(::GetUserDefaultLangID());
    });
    LanguageStep([] { gLanguageLibrary.reset(); });
    std::wstring code;
    LanguageStep([&] { code = strLanguageCodeFromId(gLanguageId); });
    LanguageStep([&] {
        // As a data file: none of its code runs. Missing or broken: built-in texts.
        const std::wstring path = LanguageLibraryPath(folder, exeName, code);
        gLanguageLibrary.reset(
            ::LoadLibraryExW(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES | LOAD_LIBRARY_AS_DATAFILE));
    });
    LanguageStep([&] { gLanguageCodes = DiscoverLanguageCodes(folder, exeName); });
    LanguageStep([] {
        for (rt::Form* form : rt::LoadedForms()) SetFormLanguageFonts(*form);
    });
}

void InitalizeLanguages() { InitalizeLanguagesIn(rt::App().path, rt::App().exeName); }

std::wstring strLanguageCodeFromId(std::int32_t languageId) {
    if (languageId == kLanguageEnglishTdd) return L"ENX";
    char buffer[256];
    std::fill(std::begin(buffer), std::end(buffer), ' ');
    const int n = ::GetLocaleInfoA(static_cast<LCID>(languageId), LOCALE_SABBREVLANGNAME, buffer, 256);
    if (n <= 0) return L"ERR";
    std::string code(buffer, buffer + (n < 3 ? n : 3));
    while (!code.empty() && (code.back() == ' ' || code.back() == '\0')) code.pop_back();
    while (!code.empty() && code.front() == ' ') code.erase(code.begin());
    return rt::FromAnsi(code);
}

std::int32_t LanguageIdFromCode(const std::wstring& code) {
    // Codes are three ASCII letters; anything else matches no row.
    for (wchar_t c : code) {
        if (c > 0x7F) return 1033;
    }
    return LanguageIdFromCode(std::string_view(rt::ToUtf8(code)));
}

std::wstring strLanguageNameFromId(std::int32_t languageId) {
    if (languageId == kLanguageEnglishTdd) return L"English (TDD/TTY)";
    char buffer[256] = {};
    const DWORD n = ::VerLanguageNameA(static_cast<DWORD>(languageId), buffer, 256);
    if (n == 0) return L"(error)";
    // Up to the terminator: some systems count it in the length.
    buffer[255] = '\0';
    return rt::FromAnsi(std::string_view(buffer));
}

std::wstring strLanguageNameFromCode(const std::wstring& code) { return strLanguageNameFromId(LanguageIdFromCode(code)); }

void SetControlLanguageFont(rt::Control& control) {
    rt::ContinueSilently([&] {
        const LanguageFont font = LanguageFontFor(gLanguageId);
        control.SetFont(font.charset, font.face);
    });
}

void SetFormLanguageFonts(rt::Form& form) {
    rt::ContinueSilently([&] {
        for (const auto& control : form.Controls()) SetControlLanguageFont(*control);
    });
}
