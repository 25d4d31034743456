// TextBetween: the piece between the first start marker and the next end marker.
#include "text/text_between.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>

namespace linkgrab {
namespace {

TEST(QuotePlaceholderTest, IsTheCodePage936Bytes) {
    // "#引号"
    EXPECT_EQ(kQuotePlaceholder, Text("\x23\xD2\xFD\xBA\xC5"));
}

struct BetweenCase {
    const char* name;
    Text text;
    Text startMarker;
    Text endMarker;
    long long startPosition;
    bool ignoreCase;
    Text expected;
};

void PrintTo(const BetweenCase& c, std::ostream* os) {
    *os << c.name;
}

class TextBetweenTest : public ::testing::TestWithParam<BetweenCase> {};

TEST_P(TextBetweenTest, Cuts) {
    const BetweenCase& c = GetParam();
    const BetweenCase copy = c;
    EXPECT_EQ(TextBetween(c.text, c.startMarker, c.endMarker, c.startPosition, c.ignoreCase),
              c.expected);
    EXPECT_EQ(c.text, copy.text);
    EXPECT_EQ(c.startMarker, copy.startMarker);
    EXPECT_EQ(c.endMarker, copy.endMarker);
}

const Text kQuoteMarker = "#\xD2\xFD\xBA\xC5";  // #引号

INSTANTIATE_TEST_SUITE_P(
    Cases, TextBetweenTest,
    ::testing::Values(
        BetweenCase{"middle", "x@@abc@@y", "@@", "@@", 0, false, "abc"},
        BetweenCase{"first_pair", "@@a@@b@@", "@@", "@@", 0, false, "a"},
        BetweenCase{"adjacent_markers", "@@@@", "@@", "@@", 0, false, ""},
        BetweenCase{"one_marker", "abc@@def", "@@", "@@", 0, false, ""},
        BetweenCase{"no_marker", "abcdef", "@@", "@@", 0, false, ""},
        BetweenCase{"ends_in_start_marker", "abc##", "##", "##", 0, false, ""},
        BetweenCase{"empty_text", "", "@@", "@@", 0, false, ""},
        BetweenCase{"percent", "<p>%%http://a/b%%</p>", "%%", "%%", 0, false, "http://a/b"},
        // 81 40 is one character: the '@' at byte 2 is its second byte, so the start marker is
        // found at byte 6 and the end marker at byte 9.
        BetweenCase{"second_byte_at", "\x81\x40\x40\x61\x62\x40\x40\x63\x40\x40", "@@", "@@", 0,
                    false, "c"},
        // The end search walks from behind the start marker: 81 40 there is one character.
        BetweenCase{"second_byte_at_in_end_search", "@@\x81\x40\x40x@@", "@@", "@@", 0, false,
                    "\x81\x40\x40x"},
        // Double-byte text around and between the markers: 中##文##字 (D6 D0, CE C4, D7 D6).
        BetweenCase{"double_byte_text", "\xD6\xD0##\xCE\xC4##\xD7\xD6", "##", "##", 0, false,
                    "\xCE\xC4"},
        BetweenCase{"set_cookie", "Set-Cookie: sid=7; path=/", "Set-Cookie:", ";", 0, false,
                    " sid=7"},
        BetweenCase{"set_cookie_without_semicolon", "Set-Cookie: sid=7", "Set-Cookie:", ";", 0,
                    false, ""},
        BetweenCase{"ignore_case", "SET-COOKIE: a=1; path=/", "Set-Cookie:", ";", 0, true, " a=1"},
        BetweenCase{"respect_case", "SET-COOKIE: a=1; path=/", "Set-Cookie:", ";", 0, false, ""},
        BetweenCase{"ignore_case_end_marker", "<b>x</B>", "<b>", "</b>", 0, true, "x"},
        BetweenCase{"quote_placeholder", "ab\"cd\"ef", kQuoteMarker, kQuoteMarker, 0, false, "cd"},
        BetweenCase{"quote_placeholder_in_marker", "<a href=\"/d/1\">", "href=" + kQuoteMarker,
                    kQuoteMarker, 0, false, "/d/1"},
        // Without a double quote in the text, the placeholder's own bytes are no match.
        BetweenCase{"quote_placeholder_literal", "a" + kQuoteMarker + "b" + kQuoteMarker,
                    kQuoteMarker, kQuoteMarker, 0, false, ""},
        BetweenCase{"distinct_markers", "[x[y]z]", "[", "]", 0, false, "x[y"},
        BetweenCase{"start_position_skips_pair", "@@a@@b@@", "@@", "@@", 2, false, "b"},
        BetweenCase{"start_position_on_marker", "@@a@@b@@", "@@", "@@", 4, false, "b"},
        BetweenCase{"start_position_negative", "@@a@@", "@@", "@@", -5, false, "a"},
        BetweenCase{"start_position_min", "@@a@@", "@@", "@@", LLONG_MIN, false, "a"},
        BetweenCase{"start_position_beyond", "@@a@@", "@@", "@@", 6, false, ""},
        BetweenCase{"start_position_max", "@@a@@", "@@", "@@", LLONG_MAX, false, ""},
        // Started on a second byte, the walk takes that byte as a character of its own.
        BetweenCase{"start_position_on_second_byte", "\x81\x40\x40x@@", "@@", "@@", 2, false, "x"},
        BetweenCase{"start_position_on_first_byte", "\x81\x40\x40x@@", "@@", "@@", 1, false, ""}),
    [](const ::testing::TestParamInfo<BetweenCase>& info) { return std::string(info.param.name); });

TEST(TextBetweenDefaults, OmittedArgumentsSearchFromTheStartWithCase) {
    EXPECT_EQ(TextBetween("x@@abc@@y", "@@", "@@"), "abc");
    EXPECT_EQ(TextBetween("X<A>b</a>", "<a>", "</a>"), "");
}

TEST(TextBetweenLong, MarkersAtTheEndOfALongDoubleByteText) {
    Text text;
    for (int i = 0; i < 100000; ++i) text += "\x81\x40";  // second bytes that look like '@'
    text += "@@result@@";
    EXPECT_EQ(TextBetween(text, "@@", "@@"), "result");
}

}  // namespace
}  // namespace linkgrab
