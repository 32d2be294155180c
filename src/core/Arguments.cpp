#include "core/Arguments.h"

namespace {

wchar_t FoldAscii(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

}  // namespace

bool IsBlank(wchar_t c) {
    // Tab and the space separators of Unicode (no-break, ideographic, ...).
    return c == L'\t' || c == L' ' || c == 0x00A0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

bool ContainsNoCase(std::wstring_view text, std::wstring_view word) {
    if (word.empty()) return true;
    if (word.size() > text.size()) return false;
    for (std::size_t start = 0; start + word.size() <= text.size(); ++start) {
        std::size_t i = 0;
        while (i < word.size() && FoldAscii(text[start + i]) == FoldAscii(word[i])) ++i;
        if (i == word.size()) return true;
    }
    return false;
}

std::wstring_view ArgumentsOf(std::wstring_view full) {
    std::size_t i = 0;
    // argv[0] ends at the first blank outside quotes; backslashes are literal.
    bool quoted = false;
    for (; i < full.size(); ++i) {
        const wchar_t c = full[i];
        if (c == L'"') quoted = !quoted;
        else if (!quoted && (c == L' ' || c == L'\t')) break;
    }
    while (i < full.size() && (full[i] == L' ' || full[i] == L'\t')) ++i;
    return full.substr(i);
}

namespace {

bool SameNoCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && ContainsNoCase(a, b);
}

// The C runtime parts argv[0] at these two only.
bool IsCrtBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The candidate names the module: equal to it, or its tail after a
// backslash, with or without ".exe".
bool NamesModule(std::wstring_view candidate, std::wstring_view module) {
    if (candidate.empty() || module.empty()) return false;
    for (std::wstring_view ext : {std::wstring_view(), std::wstring_view(L".exe")}) {
        const std::size_t n = candidate.size() + ext.size();
        if (n > module.size()) continue;
        const std::wstring_view tail = module.substr(module.size() - n);
        if (!SameNoCase(tail.substr(0, candidate.size()), candidate) || !SameNoCase(tail.substr(candidate.size()), ext)) {
            continue;
        }
        if (n == module.size() || module[module.size() - n - 1] == L'\\' || candidate.front() == L'\\') return true;
    }
    return false;
}

}  // namespace

std::wstring_view ArgumentsAfterProgram(std::wstring_view full, std::wstring_view modulePath,
                                        std::wstring_view shortModulePath) {
    if (full.empty() || full.front() == L'"') return ArgumentsOf(full);
    std::size_t end = std::wstring_view::npos;
    for (std::size_t k = 1; k <= full.size(); ++k) {
        if (k < full.size() && !IsCrtBlank(full[k])) continue;
        const std::wstring_view candidate = full.substr(0, k);
        if (NamesModule(candidate, modulePath) || NamesModule(candidate, shortModulePath)) end = k;
    }
    if (end == std::wstring_view::npos) return ArgumentsOf(full);
    while (end < full.size() && IsCrtBlank(full[end])) ++end;
    return full.substr(end);
}

std::wstring_view ArgumentsAfterProgram(std::wstring_view full, std::wstring_view modulePath,
                                        const std::function<std::wstring()>& shortModulePath) {
    if (full.empty() || full.front() == L'"') return ArgumentsOf(full);
    const std::wstring shortPath = shortModulePath ? shortModulePath() : std::wstring();
    return ArgumentsAfterProgram(full, modulePath, shortPath);
}
