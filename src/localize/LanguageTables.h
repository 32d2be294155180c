// Language codes and language fonts. Portable core.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The private identifier of "English (TDD/TTY)", code "ENX".
inline constexpr std::int32_t kLanguageEnglishTdd = 33801;

// The first row whose code equals exactly (case counts); 1033 when none does.
std::int32_t LanguageIdFromCode(std::string_view code);
// The code of a language library's file name "<exeName>_XXX.dll" (the
// three characters before ".dll", as written), or empty when the name is not
// one; the program name and ".dll" match in any (ASCII) case.
std::wstring LanguageCodeOfFile(std::wstring_view fileName, std::wstring_view exeName);

// Number of rows in the code table.
std::size_t LanguageCodeCount();

struct LanguageFont {
    std::uint8_t charset;
    std::wstring_view face;  // native name; empty for the default row
};
// Only the four listed identifiers get a special font; everything else the default.
LanguageFont LanguageFontFor(std::int32_t languageId);
