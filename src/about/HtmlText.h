// The readable text of a help page, for when no browser can show it.
// Portable core.
#pragma once

#include <string>
#include <string_view>

// UTF-8 HTML in, UTF-8 text out: the head, scripts and styles dropped, tags
// removed, blocks and list items on lines of their own, entities decoded.
std::string HtmlToText(std::string_view html);
