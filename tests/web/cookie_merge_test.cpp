#include "web/cookie_merge.h"

#include <gtest/gtest.h>

#include <ostream>

namespace linkgrab {
namespace {

struct MergeCase {
    const char* name;
    Text cookies;
    Text receivedCookies;
    Text merged;
    Text receivedAfter;  // the received text without its spaces
};

void PrintTo(const MergeCase& c, std::ostream* os) {
    *os << c.name;
}

class MergeCookiesCases : public ::testing::TestWithParam<MergeCase> {};

TEST_P(MergeCookiesCases, Merges) {
    const MergeCase& c = GetParam();
    Text cookies = c.cookies;
    Text receivedCookies = c.receivedCookies;
    const Text result = MergeCookies(cookies, receivedCookies);
    EXPECT_EQ(result, c.merged);
    EXPECT_EQ(cookies, c.merged);
    EXPECT_EQ(receivedCookies, c.receivedAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MergeCookiesCases,
    ::testing::Values(
        MergeCase{"ReceivedReplacesSentOfSameName", "a=1; b=2", "b=3; c=4", "b=3; c=4; a=1",
                  "b=3;c=4"},
        MergeCase{"DeletedDropsBothCopies", "a=1; b=2", "a=deleted", "b=2", "a=deleted"},
        MergeCase{"DeletedFromSentDropped", "x=deleted; b=2", "", "b=2", ""},
        MergeCase{"DeletedInCapitalsStays", "", "a=DELETED", "a=DELETED", "a=DELETED"},
        MergeCase{"DeletedWithSuffixStays", "", "a=deletedx", "a=deletedx", "a=deletedx"},
        MergeCase{"SentNameTwiceFirstKept", "a=1; a=2", "", "a=1", ""},
        MergeCase{"ReceivedSameEntryTwiceOnce", "", "a=1; a=1", "a=1", "a=1;a=1"},
        MergeCase{"ReceivedSameNameDifferentValuesBoth", "", "a=1; a=2", "a=1; a=2", "a=1;a=2"},
        MergeCase{"NamesCompareWithCase", "a=2", "A=1", "A=1; a=2", "A=1"},
        MergeCase{"EntryWithoutEqualsSign", "flag; a=1", "flag", "flag; a=1", "flag"},
        MergeCase{"BlanksInsideValuesGo", "", "q=x y", "q=xy", "q=xy"},
        MergeCase{"FullWidthSpacesGo", "a=\xA1\xA1x", "", "a=x", ""},
        MergeCase{"BothEmpty", "", "", "", ""},
        MergeCase{"TrailingSemicolonNoEntry", "a=1;", "", "a=1", ""},
        MergeCase{"LeadingSemicolonEmptyEntry", ";a=1", "", "; a=1", ""},
        MergeCase{"AdjacentSemicolonsEmptyEntry", "a=1;;b=2", "", "a=1; ; b=2", ""},
        MergeCase{"EmptyEntryLastDropped", "a=1;;", "", "a=1", ""},
        MergeCase{"OnlyOneEmptySentEntryTaken", ";a=1;;b=2", "", "; a=1; b=2", ""},
        MergeCase{"SpacesInNameGo", "b=1", "b =2", "b=2", "b=2"}),
    [](const ::testing::TestParamInfo<MergeCase>& info) { return info.param.name; });

struct NameCase {
    const char* name;
    Text entry;
    Text cookieName;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.name;
}

class CookieNameCases : public ::testing::TestWithParam<NameCase> {};

TEST_P(CookieNameCases, Names) {
    EXPECT_EQ(CookieName(GetParam().entry), GetParam().cookieName);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, CookieNameCases,
    ::testing::Values(NameCase{"Pair", "a=1", "a"}, NameCase{"Trimmed", "  a b = 1", "a b"},
                      NameCase{"NoEquals", " flag ", "flag"},
                      NameCase{"FirstEqualsOnly", "a=b=c", "a"}, NameCase{"EmptyName", "=1", ""},
                      NameCase{"Empty", "", ""}),
    [](const ::testing::TestParamInfo<NameCase>& info) { return info.param.name; });

TEST(CookieListHelpers, HasCookieNameComparesExactNames) {
    TextList list;
    EXPECT_FALSE(HasCookieName(list, ""));
    ListAppend(list, "a=1");
    ListAppend(list, " B=2");
    EXPECT_TRUE(HasCookieName(list, "a"));
    EXPECT_TRUE(HasCookieName(list, "B"));
    EXPECT_FALSE(HasCookieName(list, "b"));
    EXPECT_FALSE(HasCookieName(list, "a=1"));
}

TEST(CookieListHelpers, IndexOfTextFindsFirstEqualElement) {
    TextList list;
    EXPECT_EQ(IndexOfText(list, "x"), -1);
    ListAppend(list, "x");
    ListAppend(list, "y");
    ListAppend(list, "x");
    EXPECT_EQ(IndexOfText(list, "x"), 1);
    EXPECT_EQ(IndexOfText(list, "y"), 2);
    EXPECT_EQ(IndexOfText(list, "X"), -1);
}

struct DuplicateCase {
    const char* name;
    Text text;
    Text separator;
    Text result;
};

void PrintTo(const DuplicateCase& c, std::ostream* os) {
    *os << c.name;
}

class RemoveDuplicatesCases : public ::testing::TestWithParam<DuplicateCase> {};

TEST_P(RemoveDuplicatesCases, KeepsFirstOccurrences) {
    const DuplicateCase& c = GetParam();
    EXPECT_EQ(RemoveDuplicates(c.text, c.separator), c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RemoveDuplicatesCases,
    ::testing::Values(DuplicateCase{"Repeats", "a; b; a; c; b", "; ", "a; b; c"},
                      DuplicateCase{"CaseCounts", "a; A", "; ", "a; A"},
                      DuplicateCase{"Empty", "", "; ", ""},
                      DuplicateCase{"EmptyPiecesOnce", "; ; a", "; ", "; a"},
                      DuplicateCase{"OtherSeparator", "x,y,x", ",", "x,y"}),
    [](const ::testing::TestParamInfo<DuplicateCase>& info) { return info.param.name; });

}  // namespace
}  // namespace linkgrab
