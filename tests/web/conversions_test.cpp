#include "web/conversions.h"

#include <gtest/gtest.h>

#include <ostream>

namespace linkgrab {
namespace {

ByteString Bytes(std::initializer_list<int> values) {
    ByteString out;
    for (const int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

struct RoundTripCase {
    const char* name;
    Text ansi;
    ByteString wide;  // UTF-16LE with the terminator
};

// A case prints as its name: its bytes hold padding that nobody wrote.
void PrintTo(const RoundTripCase& c, std::ostream* os) {
    *os << c.name;
}

class ConversionRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(ConversionRoundTrip, AnsiToWideAndBack) {
    const RoundTripCase& c = GetParam();
    EXPECT_EQ(AnsiToWide(c.ansi), c.wide);
    EXPECT_EQ(WideToAnsi(c.wide), c.ansi);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ConversionRoundTrip,
    ::testing::Values(
        RoundTripCase{"Ascii", "Ab", Bytes({'A', 0, 'b', 0, 0, 0})},
        // 中文 is U+4E2D U+6587.
        RoundTripCase{"DoubleByte", "\xD6\xD0\xCE\xC4", Bytes({0x2D, 0x4E, 0x87, 0x65, 0, 0})},
        RoundTripCase{"Mixed", "a\xD6\xD0/", Bytes({'a', 0, 0x2D, 0x4E, '/', 0, 0, 0})},
        // The full-width space U+3000.
        RoundTripCase{"FullWidthSpace", "\xA1\xA1", Bytes({0x00, 0x30, 0, 0})}),
    [](const ::testing::TestParamInfo<RoundTripCase>& info) { return info.param.name; });

TEST(AnsiToWide, EmptyTextGivesEmptyByteString) {
    EXPECT_TRUE(AnsiToWide("").empty());
}

TEST(AnsiToWide, EndsWithOneZeroCodeUnit) {
    const ByteString wide = AnsiToWide("http://127.0.0.1/");
    ASSERT_EQ(wide.size(), 2u * 18u);
    EXPECT_EQ(wide[wide.size() - 2], 0);
    EXPECT_EQ(wide[wide.size() - 1], 0);
}

struct WideCase {
    const char* name;
    ByteString wide;
    Text ansi;
};

void PrintTo(const WideCase& c, std::ostream* os) {
    *os << c.name;
}

class WideToAnsiCases : public ::testing::TestWithParam<WideCase> {};

TEST_P(WideToAnsiCases, Converts) {
    EXPECT_EQ(WideToAnsi(GetParam().wide), GetParam().ansi);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, WideToAnsiCases,
    ::testing::Values(WideCase{"Empty", ByteString(), ""},
                      WideCase{"OneByteOnly", Bytes({'A'}), ""},
                      WideCase{"OddLastByteDropped", Bytes({'A', 0, 'b'}), "A"},
                      WideCase{"OddLengthNoTerminator", Bytes({'A', 0, 'b', 0, 0x2D}), "Ab"},
                      WideCase{"NoTerminator", Bytes({0x2D, 0x4E, 'x', 0}), "\xD6\xD0x"},
                      WideCase{"EndsAtFirstZero", Bytes({'A', 0, 0, 0, 'B', 0}), "A"},
                      WideCase{"LeadingZero", Bytes({0, 0, 'B', 0}), ""},
                      // Thai ก (U+0E01) and Hebrew א (U+05D0) have no code page 936 character.
                      WideCase{"OutsideCodePageBecomesQuestionMark",
                               Bytes({'a', 0, 0x01, 0x0E, 'b', 0}), "a?b"},
                      WideCase{"HebrewBecomesQuestionMark", Bytes({0xD0, 0x05}), "?"}),
    [](const ::testing::TestParamInfo<WideCase>& info) { return info.param.name; });

}  // namespace
}  // namespace linkgrab
