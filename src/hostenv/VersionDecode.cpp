#include "hostenv/VersionDecode.h"

std::string Hex8(std::int32_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::uint32_t u = static_cast<std::uint32_t>(value);
    std::string out(8, '0');
    for (int i = 7; i >= 0; --i, u >>= 4) out[static_cast<std::size_t>(i)] = kDigits[u & 0xF];
    return out;
}

std::int16_t LeadingDecimal(std::string_view digits) {
    // Four digits at most: the value always fits, whatever the text.
    int value = 0;
    for (char c : digits.substr(0, 4)) {
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
    }
    return static_cast<std::int16_t>(value);
}

VersionInfo DecodeVersion(std::int32_t versionNumber, std::int32_t buildNumber) {
    const std::string version = Hex8(versionNumber);
    const std::string build = Hex8(buildNumber);
    VersionInfo v;
    v.Major = LeadingDecimal(std::string_view(version).substr(0, 4));
    v.Minor = LeadingDecimal(std::string_view(version).substr(4, 4));
    v.BuildMajor = LeadingDecimal(std::string_view(build).substr(0, 4));
    v.BuildMinor = static_cast<std::int16_t>(static_cast<std::uint16_t>(buildNumber & 0xFFFF));
    v.DisplayText = std::to_string(v.Major) + "." + std::to_string(v.Minor) + "(" + std::to_string(v.BuildMajor) +
                    "." + std::to_string(v.BuildMinor) + ")";
    return v;
}
