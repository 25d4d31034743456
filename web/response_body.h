// The body of a response as it is read, chunk by chunk, and laid out once at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "text/text.h"

namespace linkgrab {

// Collects the bytes of a body in blocks that grow geometrically. A read goes straight into the
// last block, nothing read is ever moved while reading, and the whole body is copied exactly
// once into each result asked for, at its final size.
class ResponseBody {
  public:
    ResponseBody() = default;
    ResponseBody(const ResponseBody&) = delete;
    ResponseBody& operator=(const ResponseBody&) = delete;
    ResponseBody(ResponseBody&&) = default;
    ResponseBody& operator=(ResponseBody&&) = default;

    // Room for `count` more bytes behind those kept; the next Keep says how many were written.
    std::uint8_t* Room(std::size_t count);
    // Keeps the first `count` bytes written into the last Room (at most its `count`).
    void Keep(std::size_t count);

    std::size_t Size() const { return size_; }

    // Every byte kept, in order.
    ByteString Bytes() const;
    // The bytes kept before the first zero byte, or all of them when none is zero.
    Text TextBeforeZero() const;

  private:
    struct Block {
        std::unique_ptr<std::uint8_t[]> bytes;  // not cleared: only what was read is looked at
        std::size_t size = 0;
        std::size_t used = 0;
    };
    std::vector<Block> blocks_;
    std::size_t size_ = 0;
    std::size_t roomOffered_ = 0;
};

}  // namespace linkgrab
