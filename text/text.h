// Texts, byte strings and text lists, and the operations every layer builds its text work from.
//
// A Text is a run of code page 936 bytes that holds no zero byte (std::string keeps the
// terminator). Lengths and positions count bytes; positions are 1-based. Operations that walk
// characters take any byte of 0x80 or above together with the byte after it as one character,
// starting the walk at the byte where the operation starts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace linkgrab {

using Text = std::string;
using ByteString = std::vector<std::uint8_t>;

// A 1-based list of texts.
struct TextList {
    std::vector<Text> items;
    const Text& operator[](long long i) const { return items[static_cast<std::size_t>(i - 1)]; }
};

long long TextLength(const Text& text);
Text TextLeft(const Text& text, long long count);
Text TextRight(const Text& text, long long count);
Text TextMid(const Text& text, long long start, long long count);

// Position of the first occurrence of sought at or after start (below 1: 1), or -1.
long long FindText(const Text& text, const Text& sought, long long start = 1,
                   bool ignoreCase = false);

// A count below 0 means no limit.
Text ReplaceText(const Text& text, const Text& sought, const Text& replacement, long long start,
                 long long count, bool caseSensitive);
inline Text ReplaceText(const Text& text, const Text& sought, const Text& replacement,
                        bool caseSensitive) {
    return ReplaceText(text, sought, replacement, 1, -1, caseSensitive);
}

TextList SplitText(const Text& text, const Text& separator);
Text TrimSpaces(const Text& text);
Text RemoveSpaces(const Text& text);
int CompareText(const Text& a, const Text& b, bool caseSensitive);
Text ToLowerCase(const Text& text);
Text ToFullWidth(const Text& text);
bool TextEquals(const Text& a, const Text& b);

template <typename... Parts>
Text ConcatTexts(const Parts&... parts) {
    Text out;
    out.reserve((std::size_t{0} + ... + std::string_view(parts).size()));
    ((out += std::string_view(parts)), ...);
    return out;
}

long long ByteLength(const ByteString& bytes);
ByteString BlankBytes(long long n);
ByteString BytesLeft(const ByteString& bytes, long long n);
ByteString ConcatBytes(const ByteString& a, const ByteString& b);
ByteString TextToBytes(const Text& text);
Text BytesToText(const ByteString& bytes);
ByteString BytesAt(const void* address, std::size_t length);

long long ListSize(const TextList& list);
void ListAppend(TextList& list, const Text& text);

}  // namespace linkgrab
