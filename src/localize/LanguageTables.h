// Language codes and language fonts. Portable core.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The private identifier of "English (TDD/TTY)", code "ENX".
inline constexpr std::int32_t kLanguageEnglishTdd = 33801;

// The first row whose code equals exactly (case counts); 1033 when none does.
std::int32_t LanguageIdFromCode(std::string_view code);
// Number of rows in the code table.
std::size_t LanguageCodeCount();

struct LanguageFont {
    std::uint8_t charset;
    std::wstring_view face;  // native name; empty for the default row
};
// Only the four listed identifiers get a special font; everything else the default.
LanguageFont LanguageFontFor(std::int32_t languageId);
