#include "Wildcard.h"

namespace {
wchar_t Fold(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }
}  // namespace

bool WildcardMatch(std::wstring_view pattern, std::wstring_view text) {
    // Iterative match with one back-tracking point: linear in practice, no recursion.
    std::size_t p = 0, t = 0, star = std::wstring_view::npos, mark = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == L'?' || Fold(pattern[p]) == Fold(text[t]))) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            mark = t;
        } else if (star != std::wstring_view::npos) {
            p = star + 1;
            t = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') ++p;
    return p == pattern.size();
}

bool PatternNamesImage(std::wstring_view pattern, std::wstring_view imageName) {
    if (WildcardMatch(pattern, imageName)) return true;
    const std::size_t dot = imageName.find_last_of(L'.');
    return dot != std::wstring_view::npos && WildcardMatch(pattern, imageName.substr(0, dot));
}
