// Byte strings, their conversion to and from texts, and text lists.
#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>

#include "text/text.h"

namespace linkgrab {
namespace {

struct BlankCase {
    const char* name;
    long long n;
    long long expectedLength;
};

void PrintTo(const BlankCase& c, std::ostream* os) {
    *os << c.name;
}

class BlankBytesTest : public ::testing::TestWithParam<BlankCase> {};

TEST_P(BlankBytesTest, MakesZeroBytes) {
    const ByteString bytes = BlankBytes(GetParam().n);
    EXPECT_EQ(ByteLength(bytes), GetParam().expectedLength);
    for (std::uint8_t b : bytes) EXPECT_EQ(b, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, BlankBytesTest,
                         ::testing::Values(BlankCase{"some", 5, 5}, BlankCase{"zero", 0, 0},
                                           BlankCase{"negative", -3, 0},
                                           BlankCase{"min", LLONG_MIN, 0},
                                           // No buffer can be that large: empty, no failure.
                                           BlankCase{"max", LLONG_MAX, 0}),
                         [](const ::testing::TestParamInfo<BlankCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(BytesLeftTest, TakesTheFirstBytes) {
    const ByteString bytes = {1, 0, 3, 4};
    EXPECT_EQ(BytesLeft(bytes, 2), (ByteString{1, 0}));
    EXPECT_EQ(BytesLeft(bytes, 4), bytes);
    EXPECT_EQ(BytesLeft(bytes, LLONG_MAX), bytes);
    EXPECT_TRUE(BytesLeft(bytes, 0).empty());
    EXPECT_TRUE(BytesLeft(bytes, -1).empty());
    EXPECT_TRUE(BytesLeft(bytes, LLONG_MIN).empty());
    EXPECT_TRUE(BytesLeft(ByteString(), 3).empty());
}

TEST(ConcatBytesTest, JoinsInOrderWithZeroBytes) {
    EXPECT_EQ(ConcatBytes({1, 0}, {0, 2}), (ByteString{1, 0, 0, 2}));
    EXPECT_EQ(ConcatBytes({}, {7}), (ByteString{7}));
    EXPECT_TRUE(ConcatBytes({}, {}).empty());
    EXPECT_EQ(ByteLength(ConcatBytes({1, 2, 3}, {})), 3);
}

TEST(TextAndBytesTest, ConvertWithoutTheTerminator) {
    // 中文 (D6 D0 CE C4)
    EXPECT_EQ(TextToBytes("a\xD6\xD0\xCE\xC4"), (ByteString{'a', 0xD6, 0xD0, 0xCE, 0xC4}));
    EXPECT_TRUE(TextToBytes("").empty());
    EXPECT_EQ(BytesToText({'a', 0xD6, 0xD0}), "a\xD6\xD0");
    EXPECT_EQ(BytesToText({}), "");
}

TEST(TextAndBytesTest, TextStopsAtTheFirstZeroByte) {
    EXPECT_EQ(BytesToText({'a', 'b', 0, 'c', 0}), "ab");
    EXPECT_EQ(BytesToText({0, 'a'}), "");
    EXPECT_EQ(TextLength(BytesToText({'x', 0})), 1);
}

TEST(BytesAtTest, CopiesTheMemory) {
    char buffer[] = {'a', 0, 'b'};
    const ByteString bytes = BytesAt(buffer, sizeof buffer);
    buffer[0] = 'z';
    EXPECT_EQ(bytes, (ByteString{'a', 0, 'b'}));
    EXPECT_TRUE(BytesAt(buffer, 0).empty());
    EXPECT_TRUE(BytesAt(nullptr, 4).empty());
}

TEST(TextListTest, AppendsCopiesAndIndexesFromOne) {
    TextList list;
    EXPECT_EQ(ListSize(list), 0);
    Text item = "first";
    ListAppend(list, item);
    item = "changed";
    ListAppend(list, "");
    ListAppend(list, "\xD6\xD0");
    ASSERT_EQ(ListSize(list), 3);
    EXPECT_EQ(list[1], "first");
    EXPECT_EQ(list[2], "");
    EXPECT_EQ(list[3], "\xD6\xD0");
}

}  // namespace
}  // namespace linkgrab
