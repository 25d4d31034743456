// Cutting, trimming, case, full-width forms and comparison of texts.
#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>

#include "text/text.h"

namespace linkgrab {
namespace {

TEST(TextLengthTest, CountsBytes) {
    EXPECT_EQ(TextLength(""), 0);
    EXPECT_EQ(TextLength("abc"), 3);
    EXPECT_EQ(TextLength("\xD2\xFD\xBA\xC5"), 4);  // 引号
}

// ---------------------------------------------------------------------------------------------
// TextLeft, TextRight, TextMid

struct CutCase {
    const char* name;
    Text text;
    long long start;  // TextMid only
    long long count;
    Text left;
    Text right;
    Text mid;
};

void PrintTo(const CutCase& c, std::ostream* os) {
    *os << c.name;
}

class CutTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(CutTest, Cuts) {
    const CutCase& c = GetParam();
    EXPECT_EQ(TextLeft(c.text, c.count), c.left);
    EXPECT_EQ(TextRight(c.text, c.count), c.right);
    EXPECT_EQ(TextMid(c.text, c.start, c.count), c.mid);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CutTest,
    ::testing::Values(CutCase{"inside", "abcdef", 2, 3, "abc", "def", "bcd"},
                      CutCase{"count_zero", "abcdef", 2, 0, "", "", ""},
                      CutCase{"count_negative", "abcdef", 2, -1, "", "", ""},
                      CutCase{"count_min", "abcdef", 2, LLONG_MIN, "", "", ""},
                      CutCase{"count_length", "abcdef", 1, 6, "abcdef", "abcdef", "abcdef"},
                      CutCase{"count_beyond", "abcdef", 5, 7, "abcdef", "abcdef", "ef"},
                      CutCase{"count_max", "abcdef", 6, LLONG_MAX, "abcdef", "abcdef", "f"},
                      CutCase{"start_zero", "abcdef", 0, 2, "ab", "ef", ""},
                      CutCase{"start_negative", "abcdef", -4, 2, "ab", "ef", ""},
                      CutCase{"start_min", "abcdef", LLONG_MIN, LLONG_MAX, "abcdef", "abcdef", ""},
                      CutCase{"start_beyond", "abcdef", 7, 2, "ab", "ef", ""},
                      CutCase{"start_max", "abcdef", LLONG_MAX, LLONG_MAX, "abcdef", "abcdef", ""},
                      CutCase{"empty_text", "", 1, 3, "", "", ""},
                      // 中文 (D6 D0 CE C4): byte counts may cut a character in two.
                      CutCase{"cuts_characters", "\xD6\xD0\xCE\xC4", 2, 2, "\xD6\xD0", "\xCE\xC4",
                              "\xD0\xCE"}),
    [](const ::testing::TestParamInfo<CutCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// TrimSpaces, RemoveSpaces

struct SpaceCase {
    const char* name;
    Text text;
    Text trimmed;
    Text removed;
};

void PrintTo(const SpaceCase& c, std::ostream* os) {
    *os << c.name;
}

class SpaceTest : public ::testing::TestWithParam<SpaceCase> {};

TEST_P(SpaceTest, TrimsAndRemoves) {
    const SpaceCase& c = GetParam();
    EXPECT_EQ(TrimSpaces(c.text), c.trimmed);
    EXPECT_EQ(RemoveSpaces(c.text), c.removed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpaceTest,
    ::testing::Values(SpaceCase{"ascii", "  a b  ", "a b", "ab"},
                      SpaceCase{"none", "ab", "ab", "ab"}, SpaceCase{"empty", "", "", ""},
                      SpaceCase{"only_spaces", "  \xA1\xA1 ", "", ""},
                      // A1 A1 is the full-width space.
                      SpaceCase{"full_width",
                                "\xA1\xA1"
                                "a\xA1\xA1"
                                "b \xA1\xA1",
                                "a\xA1\xA1"
                                "b",
                                "ab"},
                      SpaceCase{"controls_are_not_spaces", "\ta \r\n", "\ta \r\n", "\ta\r\n"},
                      // 啊 (B0 A1) then “ (A1 B0): the A1 A1 across them is no full-width space.
                      SpaceCase{"a1_a1_across_characters", "\xB0\xA1\xA1\xB0", "\xB0\xA1\xA1\xB0",
                                "\xB0\xA1\xA1\xB0"},
                      // 啊 then a full-width space.
                      SpaceCase{"full_width_after_character", "\xB0\xA1\xA1\xA1", "\xB0\xA1",
                                "\xB0\xA1"},
                      // 81 20 is one character by the walk; its 20 is not a space.
                      SpaceCase{"second_byte_20", "\x81 ", "\x81 ", "\x81 "},
                      // A lone lead byte at the very end is left out.
                      SpaceCase{"lone_lead", "ab\xB0", "ab", "ab"},
                      SpaceCase{"lone_lead_after_space", " a b \xB0", "a b", "ab"},
                      SpaceCase{"lone_lead_only", "\xB0", "", ""},
                      SpaceCase{"pair_at_end_is_kept", " \xB0\xA1", "\xB0\xA1", "\xB0\xA1"}),
    [](const ::testing::TestParamInfo<SpaceCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// ToLowerCase, ToFullWidth

struct CaseFormCase {
    const char* name;
    Text text;
    Text expected;
};

void PrintTo(const CaseFormCase& c, std::ostream* os) {
    *os << c.name;
}

class ToLowerCaseTest : public ::testing::TestWithParam<CaseFormCase> {};

TEST_P(ToLowerCaseTest, Lowers) {
    EXPECT_EQ(ToLowerCase(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ToLowerCaseTest,
                         ::testing::Values(CaseFormCase{"ascii", "ABC xyz @[`{", "abc xyz @[`{"},
                                           CaseFormCase{"empty", "", ""},
                                           // 81 41 is one character: its second byte stays 'A'.
                                           CaseFormCase{"second_byte",
                                                        "\x81\x41"
                                                        "A",
                                                        "\x81\x41"
                                                        "a"},
                                           // Full-width Ａ (A3 C1) is not folded.
                                           CaseFormCase{"full_width_letter", "\xA3\xC1",
                                                        "\xA3\xC1"},
                                           CaseFormCase{"lone_lead_kept", "A\xB0", "a\xB0"}),
                         [](const ::testing::TestParamInfo<CaseFormCase>& info) {
                             return std::string(info.param.name);
                         });

class ToFullWidthTest : public ::testing::TestWithParam<CaseFormCase> {};

TEST_P(ToFullWidthTest, Widens) {
    EXPECT_EQ(ToFullWidth(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ToFullWidthTest,
    ::testing::Values(
        // Ｍｏｒｖａｌｅｎ
        CaseFormCase{"word", "Morvalen",
                     "\xA3\xCD\xA3\xEF\xA3\xF2\xA3\xF6\xA3\xE1\xA3\xEC\xA3\xE5\xA3\xEE"},
        CaseFormCase{"space", " ", "\xA1\xA1"}, CaseFormCase{"tilde", "~", "\xA1\xAB"},
        CaseFormCase{"lowest", "!", "\xA3\xA1"}, CaseFormCase{"highest", "}", "\xA3\xFD"},
        CaseFormCase{"digit", "0", "\xA3\xB0"},
        CaseFormCase{"controls", "\t\r\n\x7F", "\t\r\n\x7F"},
        // 引号 stays as it is.
        CaseFormCase{"double_byte", "\xD2\xFD\xBA\xC5", "\xD2\xFD\xBA\xC5"},
        // 81 41 is one character and is copied.
        CaseFormCase{"second_byte_letter", "\x81\x41", "\x81\x41"}, CaseFormCase{"empty", "", ""},
        CaseFormCase{"lone_lead", "a\xB0", "\xA3\xE1"}),
    [](const ::testing::TestParamInfo<CaseFormCase>& info) {
        return std::string(info.param.name);
    });

// ---------------------------------------------------------------------------------------------
// CompareText, TextEquals, ConcatTexts

struct CompareCase {
    const char* name;
    Text a;
    Text b;
    bool caseSensitive;
    int expected;
};

void PrintTo(const CompareCase& c, std::ostream* os) {
    *os << c.name;
}

class CompareTextTest : public ::testing::TestWithParam<CompareCase> {};

TEST_P(CompareTextTest, Compares) {
    const CompareCase& c = GetParam();
    EXPECT_EQ(CompareText(c.a, c.b, c.caseSensitive), c.expected);
    EXPECT_EQ(CompareText(c.b, c.a, c.caseSensitive), -c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompareTextTest,
    ::testing::Values(CompareCase{"equal", "abc", "abc", true, 0},
                      CompareCase{"empty", "", "", true, 0},
                      CompareCase{"less", "abc", "abd", true, -1},
                      CompareCase{"prefix", "ab", "abc", true, -1},
                      CompareCase{"empty_first", "", "a", false, -1},
                      CompareCase{"case_counts", "ABC", "abc", true, -1},
                      CompareCase{"case_ignored", "ABC", "abc", false, 0},
                      CompareCase{"case_ignored_differs", "ABD", "abc", false, 1},
                      // 啊 (B0 A1) and 阿 (B0 A2).
                      CompareCase{"double_byte", "\xB0\xA1", "\xB0\xA2", true, -1},
                      CompareCase{"high_byte_above_ascii", "a", "\xB0\xA1", true, -1},
                      // The second bytes 41 and 61 are not letters: they stay different.
                      CompareCase{"second_byte_not_folded", "\x81\x41", "\x81\x61", false, -1},
                      CompareCase{"lone_lead_prefix", "\xB0", "\xB0\xA1", false, -1}),
    [](const ::testing::TestParamInfo<CompareCase>& info) { return std::string(info.param.name); });

TEST(TextEqualsTest, ComparesExactBytes) {
    EXPECT_TRUE(TextEquals("", ""));
    EXPECT_TRUE(TextEquals("a\xB0\xA1", "a\xB0\xA1"));
    EXPECT_FALSE(TextEquals("a", "A"));
    EXPECT_FALSE(TextEquals("a", "a "));
    EXPECT_FALSE(TextEquals("", "a"));
}

TEST(ConcatTextsTest, JoinsInOrder) {
    const Text a = "ab";
    const Text empty;
    EXPECT_EQ(ConcatTexts(a, empty, "c", a), "abcab");
    EXPECT_EQ(ConcatTexts(empty), "");
    EXPECT_EQ(a, "ab");
}

}  // namespace
}  // namespace linkgrab
