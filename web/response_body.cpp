#include "web/response_body.h"

#include <algorithm>
#include <cstring>

namespace linkgrab {

namespace {

constexpr std::size_t kFirstBlock = 64 * 1024;
constexpr std::size_t kLargestBlock = 16 * 1024 * 1024;

}  // namespace

std::uint8_t* ResponseBody::Room(std::size_t count) {
    if (blocks_.empty() || blocks_.back().size - blocks_.back().used < count) {
        // Each new block is as large as everything kept so far, within bounds, so that the
        // number of blocks grows with the logarithm of the body.
        const std::size_t size = std::max(count, std::clamp(size_, kFirstBlock, kLargestBlock));
        blocks_.push_back(Block{std::make_unique_for_overwrite<std::uint8_t[]>(size), size, 0});
    }
    roomOffered_ = count;
    Block& last = blocks_.back();
    return last.bytes.get() + last.used;
}

void ResponseBody::Keep(std::size_t count) {
    count = std::min(count, roomOffered_);
    roomOffered_ = 0;
    if (count == 0) return;
    blocks_.back().used += count;
    size_ += count;
}

ByteString ResponseBody::Bytes() const {
    ByteString bytes;
    bytes.reserve(size_);
    for (const Block& block : blocks_) {
        bytes.insert(bytes.end(), block.bytes.get(), block.bytes.get() + block.used);
    }
    return bytes;
}

Text ResponseBody::TextBeforeZero() const {
    std::size_t length = 0;
    for (const Block& block : blocks_) {
        const void* zero = std::memchr(block.bytes.get(), 0, block.used);
        if (zero != nullptr) {
            length += static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) -
                                               block.bytes.get());
            break;
        }
        length += block.used;
    }
    Text text;
    text.reserve(length);
    for (const Block& block : blocks_) {
        const std::size_t take = std::min(block.used, length - text.size());
        text.append(reinterpret_cast<const char*>(block.bytes.get()), take);
        if (text.size() == length) break;
    }
    return text;
}

}  // namespace linkgrab
