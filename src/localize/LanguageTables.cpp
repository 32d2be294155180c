#include "localize/LanguageTables.h"

#include <array>

namespace {

struct CodeRow {
    std::string_view code;
    std::int32_t id;
};

// Searched in this order: the first equal row wins.
constexpr std::array<CodeRow, 44> kCodes = {{
    {"ENX", 33801}, {"ENU", 1033},  {"ENG", 2057},  {"ENA", 3081},  {"ENC", 4105},  {"ENZ", 5129},
    {"ENI", 6153},  {"DEU", 1031},  {"DES", 2055},  {"DEA", 3079},  {"DEL", 4103},  {"DEC", 5127},
    {"ESP", 1034},  {"ESM", 2058},  {"ESN", 3082},  {"ESG", 4106},  {"ESC", 5130},  {"ESA", 6154},
    {"ESD", 7178},  {"ESV", 8202},  {"ESO", 9226},  {"ESR", 10250}, {"ESS", 11274}, {"ESH", 18442},
    {"ESI", 19466}, {"ESU", 20490}, {"FRA", 1036},  {"FRB", 2060},  {"FRC", 3084},  {"FRS", 4108},
    {"FRL", 5132},  {"ITA", 1040},  {"ITS", 2064},  {"JPN", 1041},  {"NLD", 1043},  {"NLB", 2067},
    {"NOR", 1044},  {"NON", 2068},  {"PTB", 1046},  {"PTG", 2070},  {"CHT", 1028},  {"ZHT", 3076},
    {"CHS", 2052},  {"ZHI", 4100},
}};

wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

}  // namespace

std::wstring LanguageCodeOfFile(std::wstring_view name, std::wstring_view exeName) {
    // The code is the three characters in front of ".dll"; a name too
    // short to hold one is not a library of ours.
    const std::size_t prefix = exeName.size() + 1;
    if (name.size() < prefix || name.size() < 7) return {};
    if (!EqualsNoCase(name.substr(0, exeName.size()), exeName) || name[exeName.size()] != L'_') return {};
    if (!EqualsNoCase(name.substr(name.size() - 3), L"DLL")) return {};
    return std::wstring(name.substr(name.size() - 7, 3));
}

std::int32_t LanguageIdFromCode(std::string_view code) {
    for (const CodeRow& row : kCodes) {
        if (row.code == code) return row.id;
    }
    return 1033;
}

std::size_t LanguageCodeCount() { return kCodes.size(); }

LanguageFont LanguageFontFor(std::int32_t languageId) {
    switch (languageId) {
    case 1042: return {129, L"\xAD74\xB9BC"};
    case 1028: return {136, L"\x65B0\x7D30\x660E\x9AD4"};
    case 1041: return {128, L"\xFF2D\xFF33\x0020\xFF30\x30B4\x30B7\x30C3\x30AF"};
    case 2052: return {134, L"\x5B8B\x4F53"};
    default: return {1, L""};
    }
}
