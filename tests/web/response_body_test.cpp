#include "web/response_body.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace linkgrab {
namespace {

// Reads `body` into a ResponseBody in chunks of the given sizes (the last size repeats).
ResponseBody ReadInChunks(const std::string& body, const std::vector<std::size_t>& chunks,
                          std::size_t extraRoom = 0) {
    ResponseBody result;
    std::size_t done = 0;
    std::size_t i = 0;
    while (done < body.size()) {
        const std::size_t n =
            std::min(chunks[std::min(i++, chunks.size() - 1)], body.size() - done);
        std::uint8_t* room = result.Room(n + extraRoom);
        std::memcpy(room, body.data() + done, n);
        result.Keep(n);
        done += n;
    }
    return result;
}

std::string Pattern(std::size_t size) {
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        text[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
    return text;
}

TEST(ResponseBody, KeepsEveryByteInOrderAcrossBlocks) {
    struct Case {
        std::size_t size;
        std::vector<std::size_t> chunks;
    };
    const Case cases[] = {
        {0, {1}},
        {1, {1}},
        {64 * 1024, {64 * 1024}},           // exactly the first block
        {64 * 1024 + 1, {64 * 1024, 1}},    // one byte into the second
        {300000, {8192}},                   // many small reads over several blocks
        {300000, {1, 70000, 3, 200000}},    // a read larger than the block it would start
        {40 * 1024 * 1024 + 5, {1 << 20}},  // beyond the largest block
    };
    for (const Case& c : cases) {
        const std::string body = Pattern(c.size);
        const ResponseBody read = ReadInChunks(body, c.chunks, 17);
        EXPECT_EQ(read.Size(), c.size);
        const ByteString bytes = read.Bytes();
        ASSERT_EQ(bytes.size(), c.size);
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), body.begin())) << c.size;
        EXPECT_EQ(read.TextBeforeZero(), body) << c.size;
    }
}

TEST(ResponseBody, TextEndsAtTheFirstZeroByteWhereverItLies) {
    for (const std::size_t zeroAt : {std::size_t{0}, std::size_t{5}, std::size_t{65535},
                                     std::size_t{65536}, std::size_t{200001}}) {
        std::string body = Pattern(300000);
        body[zeroAt] = '\0';
        body[zeroAt + 10] = '\0';
        const ResponseBody read = ReadInChunks(body, {4096, 65536});
        EXPECT_EQ(read.TextBeforeZero(), body.substr(0, zeroAt)) << zeroAt;
        EXPECT_EQ(read.Bytes().size(), body.size()) << zeroAt;
    }
}

TEST(ResponseBody, KeepsNoMoreThanTheRoomItOfferedAndNothingWithoutRoom) {
    ResponseBody read;
    std::memcpy(read.Room(3), "abc", 3);
    read.Keep(10);  // a reader that claims more than it was given room for
    read.Keep(2);   // no room offered since the last Keep
    EXPECT_EQ(read.Size(), 3u);
    EXPECT_EQ(read.TextBeforeZero(), "abc");
    read.Room(4);
    read.Keep(0);
    EXPECT_EQ(read.Bytes(), (ByteString{'a', 'b', 'c'}));
}

}  // namespace
}  // namespace linkgrab
