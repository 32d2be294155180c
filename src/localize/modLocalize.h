// Which language the program speaks: the held language library, the codes of
// the libraries beside the program, the string fetch and language fonts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/Forms.h"
#include "runtime/Handles.h"

// 0 until the first InitalizeLanguages; 33801 is "English (TDD/TTY)".
extern std::int32_t gLanguageId;
// The held library (loaded as a data file), or none.
extern rt::UniqueModule gLanguageLibrary;
// Codes of the libraries found beside the program; one empty string when none.
extern std::vector<std::wstring> gLanguageCodes;

// The text for an identifier: from the held library when it has a non-empty
// one, else from the built-in table. An identifier in neither place shows
// "error in mymyLoadString: " and gives the empty string.
std::wstring mymyLoadString(std::int32_t id);

void InitalizeLanguages();
// The same for a given program folder and executable name.
void InitalizeLanguagesIn(const std::wstring& folder, const std::wstring& exeName);

std::wstring strLanguageCodeFromId(std::int32_t languageId);
std::int32_t LanguageIdFromCode(const std::wstring& code);
std::wstring strLanguageNameFromId(std::int32_t languageId);
std::wstring strLanguageNameFromCode(const std::wstring& code);

void SetFormLanguageFonts(rt::Form& form);
void SetControlLanguageFont(rt::Control& control);

// Codes of the files "<exeName>_XXX.dll" in the folder, in listing order,
// case as in the file name; case is ignored when matching.
std::vector<std::wstring> DiscoverLanguageCodes(const std::wstring& folder, const std::wstring& exeName);
std::wstring LanguageLibraryPath(const std::wstring& folder, const std::wstring& exeName, const std::wstring& code);
