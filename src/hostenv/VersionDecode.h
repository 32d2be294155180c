// Decoding the product's stored version and build numbers. Portable core.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct VersionInfo {
    std::int16_t Major = 0;
    std::int16_t Minor = 0;
    std::int16_t BuildMajor = 0;
    std::int16_t BuildMinor = 0;
    std::string DisplayText;
};

// Eight upper-case hex digits, two's complement for negative numbers.
std::string Hex8(std::int32_t value);
// Leading decimal digits of the first four characters as a number (0 when
// there are none); "0004" gives 4, "00A1" gives 0. No exponent letters: the
// product's versions use decimal-looking digits only.
std::int16_t LeadingDecimal(std::string_view digits);

// The version halves and the upper build half are hex digits read as decimal;
// the lower build half is plain hexadecimal, signed.
VersionInfo DecodeVersion(std::int32_t versionNumber, std::int32_t buildNumber);
