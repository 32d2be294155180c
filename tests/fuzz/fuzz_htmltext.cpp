// A help page, whatever lies in the file.
#include <cstdlib>
#include <string_view>

#include "about/HtmlText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = HtmlToText(std::string_view(reinterpret_cast<const char*>(data), size));
    // Never longer than about four bytes out per byte in (entities expand).
    if (text.size() > 4 * size + 4) std::abort();
    return 0;
}
