// FindText, ReplaceText and SplitText: positions, character walking, case and counts.
#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "text/text.h"

namespace linkgrab {
namespace {

// ---------------------------------------------------------------------------------------------
// FindText

struct FindCase {
    const char* name;
    Text text;
    Text sought;
    long long start;
    bool ignoreCase;
    long long expected;
};

void PrintTo(const FindCase& c, std::ostream* os) {
    *os << c.name;
}

class FindTextTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindTextTest, FindsThePosition) {
    const FindCase& c = GetParam();
    EXPECT_EQ(FindText(c.text, c.sought, c.start, c.ignoreCase), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindTextTest,
    ::testing::Values(
        FindCase{"first", "abcabc", "bc", 1, false, 2},
        FindCase{"from_start", "abcabc", "bc", 3, false, 5},
        FindCase{"at_start", "abcabc", "bc", 5, false, 5},
        FindCase{"start_zero", "abcabc", "bc", 0, false, 2},
        FindCase{"start_negative", "abcabc", "bc", -7, false, 2},
        FindCase{"start_min", "abcabc", "bc", LLONG_MIN, false, 2},
        FindCase{"start_last_byte", "abcabc", "c", 6, false, 6},
        FindCase{"start_beyond", "abcabc", "c", 7, false, -1},
        FindCase{"start_max", "abcabc", "c", LLONG_MAX, false, -1},
        FindCase{"missing", "abcabc", "x", 1, false, -1},
        FindCase{"longer_than_text", "ab", "abc", 1, false, -1},
        FindCase{"longer_than_rest", "abcab", "abc", 2, false, -1},
        FindCase{"empty_text", "", "a", 1, false, -1},
        FindCase{"whole_text", "abc", "abc", 1, false, 1},
        // An empty sought text gives 1 whenever a byte lies at or after start.
        FindCase{"empty_sought", "abc", "", 1, false, 1},
        FindCase{"empty_sought_later_start", "abc", "", 3, false, 1},
        FindCase{"empty_sought_start_zero", "abc", "", 0, false, 1},
        FindCase{"empty_sought_beyond", "abc", "", 4, false, -1},
        FindCase{"empty_sought_empty_text", "", "", 1, false, -1},
        FindCase{"empty_sought_empty_text_start_zero", "", "", 0, false, -1},
        // Partial matches that overlap the real one.
        FindCase{"overlap_aab", "aaab", "aab", 1, false, 2},
        FindCase{"overlap_ababc", "abababc", "ababc", 1, false, 3},
        // 81 40 is one character, so the '@' at byte 2 is its second byte.
        FindCase{"second_byte_is_not_a_start", "\x81\x40\x40", "@", 1, false, 3},
        FindCase{"second_byte_pair", "\x81\x40\x40\x40", "@@", 1, false, 3},
        // 81 40 | 40 61 ... : "@a" would match at byte 2 only inside the first character.
        FindCase{"second_byte_pair_prefix", "\x81\x40\x61", "@a", 1, false, -1},
        // A walk that starts on a second byte takes it as the first byte of a character.
        FindCase{"start_on_second_byte_ascii", "\x81\x40\x40", "@", 2, false, 2},
        // 啊 (B0 A1) then a full-width space (A1 A1): from byte 2 the walk pairs A1 A1 at 2.
        FindCase{"start_on_second_byte_pairs", "\xB0\xA1\xA1\xA1", "\xA1\xA1", 2, false, 2},
        FindCase{"start_on_first_byte_pairs", "\xB0\xA1\xA1\xA1", "\xA1\xA1", 1, false, 3},
        // Two-byte characters only: B0 A1 B0 A1 contains A1 B0 only across characters.
        FindCase{"across_characters", "\xB0\xA1\xB0\xA1", "\xA1\xB0", 1, false, -1},
        FindCase{"across_characters_odd_start", "\xB0\xA1\xB0\xA1", "\xA1\xB0", 2, false, 2},
        // A lone lead byte at the very end is a character of its own.
        FindCase{"lone_lead_at_end", "a\xB0", "\xB0", 1, false, 2},
        // A sought text that ends in a first byte matches the start of a character.
        FindCase{"sought_ends_in_lead_byte", "x\xB0\xA1", "x\xB0", 1, false, 1},
        FindCase{"ignore_case", "xABc", "abC", 1, true, 2},
        FindCase{"respect_case", "xABc", "abC", 1, false, -1},
        FindCase{"ignore_case_first_letter_upper", "xxAb", "ab", 1, true, 3},
        FindCase{"ignore_case_digits_and_marks", "Set-Cookie: 1", "SET-COOKIE:", 1, true, 1},
        // 81 41 and 81 61 are different characters: the second byte is never folded.
        FindCase{"ignore_case_keeps_second_byte", "\x81\x41", "\x81\x61", 1, true, -1},
        FindCase{"ignore_case_same_second_byte", "\x81\x61", "\x81\x61", 1, true, 1},
        FindCase{"ignore_case_upper_second_byte_in_sought", "x\x81\x41", "\x81\x41", 1, true, 2},
        // 'A' (41) as a second byte is no letter: "ab" is not found at byte 2.
        FindCase{"ignore_case_upper_second_byte", "\x81\x41\x42", "ab", 1, true, -1},
        FindCase{"ignore_case_after_second_byte", "\x81\x41\x42", "b", 1, true, 3},
        // Full-width letters (A3 C1 = Ａ, A3 E1 = ａ) are not folded.
        FindCase{"ignore_case_not_full_width", "\xA3\xC1", "\xA3\xE1", 1, true, -1}),
    [](const ::testing::TestParamInfo<FindCase>& info) { return std::string(info.param.name); });

TEST(FindTextLong, SkipsSecondBytesInALongDoubleByteRun) {
    // 81 40 repeated: every '@' is a second byte until the two free ones at the end.
    Text text;
    for (int i = 0; i < 100000; ++i) text += "\x81\x40";
    EXPECT_EQ(FindText(text, "@@"), -1);
    const long long before = TextLength(text);
    text += "@@";
    EXPECT_EQ(FindText(text, "@@"), before + 1);
    // From an odd position (a second byte) the walk is shifted by one byte.
    EXPECT_EQ(FindText(text, "@", 2), 2);
}

// ---------------------------------------------------------------------------------------------
// ReplaceText

struct ReplaceCase {
    const char* name;
    Text text;
    Text sought;
    Text replacement;
    long long start;
    long long count;
    bool caseSensitive;
    Text expected;
};

void PrintTo(const ReplaceCase& c, std::ostream* os) {
    *os << c.name;
}

class ReplaceTextTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceTextTest, Replaces) {
    const ReplaceCase& c = GetParam();
    const Text original = c.text;
    EXPECT_EQ(ReplaceText(c.text, c.sought, c.replacement, c.start, c.count, c.caseSensitive),
              c.expected);
    EXPECT_EQ(c.text, original);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceTextTest,
    ::testing::Values(
        ReplaceCase{"all", "a.b.c", ".", "--", 1, -1, true, "a--b--c"},
        ReplaceCase{"count_one", "a.b.c", ".", "--", 1, 1, true, "a--b.c"},
        ReplaceCase{"count_zero", "a.b.c", ".", "--", 1, 0, true, "a.b.c"},
        ReplaceCase{"count_more_than_found", "a.b.c", ".", "--", 1, 5, true, "a--b--c"},
        ReplaceCase{"count_max", "a.b.c", ".", "--", 1, LLONG_MAX, true, "a--b--c"},
        ReplaceCase{"count_min_no_limit", "a.b.c", ".", "--", 1, LLONG_MIN, true, "a--b--c"},
        ReplaceCase{"start_keeps_bytes_before", "a.b.c", ".", "--", 3, -1, true, "a.b--c"},
        ReplaceCase{"start_on_occurrence", "a.b.c", ".", "--", 2, -1, true, "a--b--c"},
        ReplaceCase{"start_zero", "a.b.c", ".", "--", 0, -1, true, "a--b--c"},
        ReplaceCase{"start_negative", "a.b.c", ".", "--", -3, 1, true, "a--b.c"},
        ReplaceCase{"start_min", "a.b.c", ".", "--", LLONG_MIN, -1, true, "a--b--c"},
        ReplaceCase{"start_beyond", "a.b.c", ".", "--", 6, -1, true, "a.b.c"},
        ReplaceCase{"start_max", "a.b.c", ".", "--", LLONG_MAX, -1, true, "a.b.c"},
        ReplaceCase{"empty_text", "", ".", "--", 1, -1, true, ""},
        ReplaceCase{"empty_sought", "a.b", "", "--", 1, -1, true, "a.b"},
        ReplaceCase{"empty_replacement", "a.b.c", ".", "", 1, -1, true, "abc"},
        ReplaceCase{"whole_text", "abc", "abc", "x", 1, -1, true, "x"},
        // The walk continues behind each occurrence.
        ReplaceCase{"continues_behind", "aaa", "aa", "b", 1, -1, true, "ba"},
        ReplaceCase{"replacement_holds_sought", "aa", "a", "aa", 1, -1, true, "aaaa"},
        ReplaceCase{"ignore_case", "Ab ab AB", "ab", "x", 1, -1, false, "x x x"},
        ReplaceCase{"respect_case", "Ab ab AB", "ab", "x", 1, -1, true, "Ab x AB"},
        ReplaceCase{"ignore_case_counted", "Ab ab AB", "AB", "x", 1, 2, false, "x x AB"},
        // 81 40 is one character; only the free '@' is replaced.
        ReplaceCase{"second_byte_kept", "\x81\x40\x40", "@", "#", 1, -1, true, "\x81\x40#"},
        // From byte 2 (a second byte) the walk pairs A1 A1 there: 啊 B0 A1, then A1 A1.
        ReplaceCase{"start_on_second_byte", "\xB0\xA1\xA1\xA1", "\xA1\xA1", "_", 2, -1, true,
                    "\xB0_\xA1"},
        ReplaceCase{"start_on_first_byte", "\xB0\xA1\xA1\xA1", "\xA1\xA1", "_", 1, -1, true,
                    "\xB0\xA1_"},
        // "#引号" (23 D2 FD BA C5) by a double quote, as markers and patterns use it.
        ReplaceCase{"quote_placeholder",
                    "a#\xD2\xFD\xBA\xC5"
                    "b#\xD2\xFD\xBA\xC5",
                    "#\xD2\xFD\xBA\xC5", "\"", 1, -1, true, "a\"b\""}),
    [](const ::testing::TestParamInfo<ReplaceCase>& info) { return std::string(info.param.name); });

TEST(ReplaceTextOverloads, ShortFormReplacesEverythingFromTheStart) {
    EXPECT_EQ(ReplaceText("x-y-z", "-", "+", true), "x+y+z");
    EXPECT_EQ(ReplaceText("x-Y-y", "y", "_", false), "x-_-_");
}

TEST(ReplaceTextLong, ManyReplacementsInOneText) {
    Text text;
    Text expected;
    for (int i = 0; i < 50000; ++i) {
        text += "\xD6\xD0@";  // 中@
        expected += "\xD6\xD0[at]";
    }
    EXPECT_EQ(ReplaceText(text, "@", "[at]", true), expected);
}

TEST(ReplaceTextLong, IgnoringCaseWhenOneFormNeverOccurs) {
    // Only the capital form of the first letter occurs: each search must still look at the
    // bytes after the last match only, and find every match in turn.
    Text text;
    Text expected;
    for (int i = 0; i < 20000; ++i) {
        text += i % 3 == 0 ? "Set-Cookie: a\r\n" : "SET-COOKIE: b\r\n";
        expected += i % 3 == 0 ? "Set-Cookie: a\r\n" : "Set-Cookie: b\r\n";
    }
    text += "\xB0S";  // 'S' as a second byte starts no match
    expected += "\xB0S";
    EXPECT_EQ(ReplaceText(text, "set-cookie", "Set-Cookie", false), expected);
}

// ---------------------------------------------------------------------------------------------
// SplitText

struct SplitCase {
    const char* name;
    Text text;
    Text separator;
    std::vector<Text> expected;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << c.name;
}

class SplitTextTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTextTest, Splits) {
    const SplitCase& c = GetParam();
    const TextList list = SplitText(c.text, c.separator);
    EXPECT_EQ(list.items, c.expected);
    ASSERT_EQ(ListSize(list), static_cast<long long>(c.expected.size()));
    for (long long i = 1; i <= ListSize(list); ++i) {
        EXPECT_EQ(list[i], c.expected[static_cast<std::size_t>(i - 1)]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitTextTest,
    ::testing::Values(
        SplitCase{"pieces", "a,b,c", ",", {"a", "b", "c"}},
        SplitCase{"no_separator_in_text", "abc", ",", {"abc"}},
        SplitCase{"leading_separator", ",a", ",", {"", "a"}},
        SplitCase{"adjacent_separators", "a,,b", ",", {"a", "", "b"}},
        SplitCase{"trailing_separator", "a,b,", ",", {"a", "b"}},
        SplitCase{"only_separator", ",", ",", {""}},
        SplitCase{"only_separators", ",,", ",", {"", ""}}, SplitCase{"empty_text", "", ",", {}},
        SplitCase{"empty_separator", "a,b", "", {"a,b"}}, SplitCase{"empty_both", "", "", {}},
        SplitCase{"long_separator", "k1\r\nk2\r\n\r\nk3", "\r\n", {"k1", "k2", "", "k3"}},
        SplitCase{"exact_case", "aXbxc", "x", {"aXb", "c"}},
        SplitCase{"continues_behind", "aaa", "aa", {"", "a"}},
        // 81 2C is one character (by the walk), so its ',' does not split.
        SplitCase{"second_byte_separator", "\x81,x,y", ",", {"\x81,x", "y"}},
        // 中,文 (D6 D0, CE C4).
        SplitCase{"double_byte_pieces", "\xD6\xD0,\xCE\xC4", ",", {"\xD6\xD0", "\xCE\xC4"}}),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// The three searches against a plain character-by-character walk, on random texts rich in
// double-byte characters, second bytes that look like ASCII and letters of both cases.

bool MatchesAt(const Text& text, std::size_t i, const Text& sought, bool ignoreCase) {
    if (i + sought.size() > text.size()) return false;
    std::size_t j = 0;
    while (j < sought.size()) {
        const auto a = static_cast<unsigned char>(text[i + j]);
        const auto b = static_cast<unsigned char>(sought[j]);
        if (b >= 0x80) {  // a character of two bytes (or a lone last byte): exact bytes
            if (a != b) return false;
            if (j + 1 < sought.size() && text[i + j + 1] != sought[j + 1]) return false;
            j += 2;
            continue;
        }
        auto fold = [&](unsigned char x) {
            return (ignoreCase && x >= 'A' && x <= 'Z') ? static_cast<unsigned char>(x + 32) : x;
        };
        if (fold(a) != fold(b)) return false;
        ++j;
    }
    return true;
}

// Index of the first match found walking from `from`, or npos.
std::size_t WalkFind(const Text& text, const Text& sought, std::size_t from, bool ignoreCase) {
    std::size_t i = from;
    while (i < text.size()) {
        if (MatchesAt(text, i, sought, ignoreCase)) return i;
        i += static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1;
    }
    return Text::npos;
}

long long WalkFindText(const Text& text, const Text& sought, long long start, bool ignoreCase) {
    const long long s = start < 1 ? 1 : start;
    if (s > TextLength(text)) return -1;
    if (sought.empty()) return 1;
    const std::size_t found = WalkFind(text, sought, static_cast<std::size_t>(s - 1), ignoreCase);
    return found == Text::npos ? -1 : static_cast<long long>(found) + 1;
}

Text WalkReplace(const Text& text, const Text& sought, const Text& replacement, long long start,
                 long long count, bool caseSensitive) {
    const long long s = start < 1 ? 1 : start;
    if (text.empty() || sought.empty() || count == 0 || s > TextLength(text)) return text;
    Text out = text.substr(0, static_cast<std::size_t>(s - 1));
    std::size_t i = static_cast<std::size_t>(s - 1);
    long long made = 0;
    while (i < text.size()) {
        if ((count < 0 || made < count) && MatchesAt(text, i, sought, !caseSensitive)) {
            out += replacement;
            i += sought.size();
            ++made;
            continue;
        }
        const std::size_t len = static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1;
        out += text.substr(i, len);
        i += len;
    }
    return out;
}

std::vector<Text> WalkSplit(const Text& text, const Text& separator) {
    std::vector<Text> pieces;
    if (text.empty()) return pieces;
    if (separator.empty()) return {text};
    Text piece;
    std::size_t i = 0;
    while (i < text.size()) {
        if (MatchesAt(text, i, separator, false)) {
            pieces.push_back(piece);
            piece.clear();
            i += separator.size();
            continue;
        }
        const std::size_t len = static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1;
        piece += text.substr(i, len);
        i += len;
    }
    if (!piece.empty()) pieces.push_back(piece);
    return pieces;
}

TEST(SearchAgainstWalk, RandomTextsAgree) {
    const unsigned char alphabet[] = {'@', '@', 'a', 'A', 'b', ' ', 0x81, 0xA1, 0xB0, 0xD2, 0x40};
    std::mt19937 random(936);
    auto pick = [&](std::size_t length) {
        Text t;
        for (std::size_t i = 0; i < length; ++i) {
            t += static_cast<char>(alphabet[random() % sizeof(alphabet)]);
        }
        return t;
    };
    for (int round = 0; round < 20000; ++round) {
        const Text text = pick(random() % 48);
        const Text sought = pick(random() % 4);
        const long long start = static_cast<long long>(random() % 52) - 2;
        const bool ignoreCase = (random() % 2) == 0;
        const long long count = static_cast<long long>(random() % 5) - 1;
        SCOPED_TRACE(::testing::Message() << "round " << round);
        ASSERT_EQ(FindText(text, sought, start, ignoreCase),
                  WalkFindText(text, sought, start, ignoreCase));
        ASSERT_EQ(ReplaceText(text, sought, "<>", start, count, !ignoreCase),
                  WalkReplace(text, sought, "<>", start, count, !ignoreCase));
        ASSERT_EQ(SplitText(text, sought).items, WalkSplit(text, sought));
    }
}

}  // namespace
}  // namespace linkgrab
