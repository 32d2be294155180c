#include <gtest/gtest.h>

#include "hostenv/VersionDecode.h"

namespace {

TEST(DecodeVersion, HexDigitsReadAsDecimalExceptTheLowerBuildHalf) {
    struct Case {
        std::int32_t version, build;
        int major, minor, buildMajor, buildMinor;
        const char* text;
    } cases[] = {
        {0x00040000, 0x00010123, 4, 0, 1, 291, "4.0(1.291)"},
        {0x00120003, 0x0002FFFF, 12, 3, 2, -1, "12.3(2.-1)"},
        {0, 0, 0, 0, 0, 0, "0.0(0.0)"},
        {0x00A10007, 0x00000000, 0, 7, 0, 0, "0.7(0.0)"},
        {-1717986919 /* 0x99999999 */, 0x12348000, 9999, 9999, 1234, -32768, "9999.9999(1234.-32768)"},
        {-1, -1, 0, 0, 0, -1, "0.0(0.-1)"},
        {0x000B0010, 0x0C000001, 0, 10, 0, 1, "0.10(0.1)"},
    };
    for (const Case& c : cases) {
        const VersionInfo v = DecodeVersion(c.version, c.build);
        EXPECT_EQ(v.Major, c.major) << c.text;
        EXPECT_EQ(v.Minor, c.minor) << c.text;
        EXPECT_EQ(v.BuildMajor, c.buildMajor) << c.text;
        EXPECT_EQ(v.BuildMinor, c.buildMinor) << c.text;
        EXPECT_EQ(v.DisplayText, c.text);
    }
}

TEST(DecodeVersion, EightDigitTextAndLeadingDecimalReading) {
    EXPECT_EQ(Hex8(0), "00000000");
    EXPECT_EQ(Hex8(0x00A1FFFF), "00A1FFFF");
    EXPECT_EQ(Hex8(-2), "FFFFFFFE");
    EXPECT_EQ(LeadingDecimal("0004"), 4);
    EXPECT_EQ(LeadingDecimal("00A1"), 0);
    EXPECT_EQ(LeadingDecimal("12A4"), 12);
    EXPECT_EQ(LeadingDecimal("1E02"), 1) << "no exponent reading";
    EXPECT_EQ(LeadingDecimal(""), 0);
}

}  // namespace
