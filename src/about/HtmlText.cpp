#include "about/HtmlText.h"

#include <cstdint>

namespace {

// ASCII only, whatever the locale: markup is ASCII.
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsAlnum(char c) { return IsDigit(c) || (Lower(c) >= 'a' && Lower(c) <= 'z'); }

struct Entity {
    std::string_view name;
    std::uint32_t code;
};
// Those the help pages use, and the markup ones.
constexpr Entity kEntities[] = {
    {"amp", '&'},     {"lt", '<'},      {"gt", '>'},       {"quot", '"'},    {"apos", '\''},  {"nbsp", 0xA0},
    {"auml", 0xE4},   {"ouml", 0xF6},   {"uuml", 0xFC},    {"Auml", 0xC4},   {"Ouml", 0xD6},  {"Uuml", 0xDC},
    {"szlig", 0xDF},  {"bdquo", 0x201E}, {"ldquo", 0x201C}, {"rdquo", 0x201D}, {"ndash", 0x2013}, {"mdash", 0x2014},
    {"copy", 0xA9},
};

void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes the entity at s[i] == '&'; returns the characters used, or 0 when
// it is not one (the '&' then stands for itself).
std::size_t DecodeEntity(std::string_view s, std::size_t i, std::string& out) {
    const std::size_t end = s.find(';', i + 1);
    if (end == std::string_view::npos || end - i > 10) return 0;
    const std::string_view name = s.substr(i + 1, end - i - 1);
    if (name.size() >= 2 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        std::uint32_t code = 0;
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty() || digits.size() > 7) return 0;
        for (char ch : digits) {
            const char l = Lower(ch);
            const int d = IsDigit(ch) ? ch - '0' : hex && l >= 'a' && l <= 'f' ? l - 'a' + 10 : -1;
            if (d < 0) return 0;
            code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
        }
        AppendUtf8(out, code);
        return end - i + 1;
    }
    for (const Entity& e : kEntities) {
        if (e.name == name) {
            AppendUtf8(out, e.code);
            return end - i + 1;
        }
    }
    return 0;
}

std::string LowerTagName(std::string_view tag) {
    std::size_t i = tag.empty() || tag[0] != '/' ? 0 : 1;
    std::string name;
    while (i < tag.size() && IsAlnum(tag[i])) name += Lower(tag[i++]);
    return name;
}

bool StartsBlock(const std::string& name) {
    for (const char* block : {"p", "br", "div", "h1", "h2", "h3", "h4", "li", "tr", "ol", "ul", "table", "title"}) {
        if (name == block) return true;
    }
    return false;
}

// Collapses blanks, trims lines and keeps at most one empty line in a row.
std::string Tidy(const std::string& raw) {
    std::string out, line;
    int emptyLines = 0;
    const auto flush = [&] {
        while (!line.empty() && line.back() == ' ') line.pop_back();
        if (line.empty()) {
            if (!out.empty() && ++emptyLines == 1) out += '\n';
        } else {
            out += line;
            out += '\n';
            emptyLines = 0;
        }
        line.clear();
    };
    for (char c : raw) {
        if (c == '\n') {
            flush();
        } else if (c == ' ' || c == '\t' || c == '\r') {
            if (!line.empty() && line.back() != ' ') line += ' ';
        } else {
            line += c;
        }
    }
    flush();
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

}  // namespace

std::string HtmlToText(std::string_view html) {
    std::string raw;
    std::size_t i = 0;
    while (i < html.size()) {
        const char c = html[i];
        if (c == '<') {
            if (html.substr(i, 4) == "<!--") {
                const std::size_t end = html.find("-->", i + 4);
                i = end == std::string_view::npos ? html.size() : end + 3;
                continue;
            }
            const std::size_t close = html.find('>', i + 1);
            if (close == std::string_view::npos) break;  // an unfinished tag ends the text
            const bool closing = html[i + 1] == '/';
            const std::string name = LowerTagName(html.substr(i + 1, close - i - 1));
            i = close + 1;
            if (!closing && (name == "head" || name == "script" || name == "style")) {
                // Skip to the matching end tag, whatever its case.
                const std::string endTag = "</" + name;
                std::size_t at = i;
                for (; at < html.size(); ++at) {
                    if (html[at] == '<' && LowerTagName(html.substr(at + 1, endTag.size())) == name &&
                        html.substr(at, 2) == "</") {
                        break;
                    }
                }
                const std::size_t end = html.find('>', at);
                i = end == std::string_view::npos ? html.size() : end + 1;
                continue;
            }
            // Lines for list items and rows; a gap between paragraphs.
            const bool item = name == "li" || name == "tr" || name == "br";
            if (StartsBlock(name) && !(closing && item)) raw += '\n';
            if (closing) continue;
            if (name == "li") raw += "- ";
            if (name == "td" || name == "th") raw += "  ";
            continue;
        }
        if (c == '&') {
            if (const std::size_t used = DecodeEntity(html, i, raw)) {
                i += used;
                continue;
            }
        }
        raw += c == '\n' ? ' ' : c;
        ++i;
    }
    return Tidy(raw);
}
