// Turns fuzz bytes into the inputs the parsers take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Two bytes per character: any UTF-16 unit, surrogates and NULs included.
inline std::wstring WideFrom(const std::uint8_t* data, std::size_t size) {
    std::wstring s;
    for (std::size_t i = 0; i + 1 < size; i += 2) s += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    return s;
}
