// The shared text, byte-string and list operations.
//
// Searching works in one forward pass: candidates are found byte-wise (memchr to the next
// possible first byte, a Knuth-Morris-Pratt automaton for the rest of the sought text) and a
// candidate counts only when it begins a character of the walk that starts where the search
// starts. That check looks back to the nearest byte below 0x80 (the position behind such a byte
// always begins a character) but never behind the last position already known, so the whole
// search stays linear in the length of the text, also for texts made only of double-byte
// characters.
#include "text/text.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace linkgrab {

namespace {

constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

// The largest byte string BlankBytes makes: 2 GiB less one byte.
constexpr long long kLargestBuffer = std::numeric_limits<std::int32_t>::max();

inline unsigned char Byte(const char* p, std::size_t i) {
    return static_cast<unsigned char>(p[i]);
}

// A byte of 0x80 or above starts a double-byte character (or is its second byte).
inline bool IsHigh(unsigned char b) {
    return b >= 0x80;
}

inline bool IsUpper(unsigned char b) {
    return b >= 'A' && b <= 'Z';
}

inline unsigned char Lower(unsigned char b) {
    return IsUpper(b) ? static_cast<unsigned char>(b + ('a' - 'A')) : b;
}

// Length of the character that begins at byte i of a text of n bytes: 2 for a byte of 0x80 or
// above that has a byte behind it, otherwise 1.
inline std::size_t CharLength(const char* p, std::size_t i, std::size_t n) {
    return (IsHigh(Byte(p, i)) && i + 1 < n) ? 2 : 1;
}

// Number of bytes the operations that drop a lone trailing lead byte keep: the walk from the
// first byte ends either exactly at n, or on a byte of 0x80 or above that has no second byte.
std::size_t LengthWithoutLoneLead(const char* p, std::size_t n) {
    std::size_t i = 0;
    while (i < n) {
        if (IsHigh(Byte(p, i))) {
            if (i + 1 == n) return i;
            i += 2;
        } else {
            ++i;
        }
    }
    return n;
}

// Answers "does position p begin a character?" for the walk that starts at a given byte, for
// positions asked in non-decreasing order. `known` is always a position that begins a character.
class BoundaryCursor {
  public:
    BoundaryCursor(const char* text, std::size_t walkStart) : text_(text), known_(walkStart) {}

    bool BeginsCharacter(std::size_t p) {
        std::size_t q = p;
        while (q > known_ && IsHigh(Byte(text_, q - 1))) --q;
        // q begins a character, and every byte from q up to p is 0x80 or above, so the walk
        // pairs them off two by two.
        const bool begins = ((p - q) % 2) == 0;
        known_ = begins ? p : p + 1;
        return begins;
    }

  private:
    const char* text_;
    std::size_t known_;
};

// A prepared search for one sought text.
class Matcher {
  public:
    Matcher(std::string_view sought, bool ignoreCase)
        : sought_(sought), ignoreCase_(ignoreCase), failure_(sought.size(), 0) {
        if (ignoreCase_) {
            // Only letters that stand as characters of their own are folded, never the second
            // byte of a double-byte character.
            std::size_t i = 0;
            while (i < sought_.size()) {
                const std::size_t len = CharLength(sought_.data(), i, sought_.size());
                if (len == 1) sought_[i] = static_cast<char>(Lower(Byte(sought_.data(), i)));
                i += len;
            }
        }
        std::size_t k = 0;
        for (std::size_t i = 1; i < sought_.size(); ++i) {
            while (k > 0 && sought_[i] != sought_[k]) k = failure_[k - 1];
            if (sought_[i] == sought_[k]) ++k;
            failure_[i] = k;
        }
    }

    std::size_t Length() const { return sought_.size(); }

    // Index of the first occurrence at or after `from` that begins a character of the walk
    // starting at `from`, or kNotFound. The sought text must not be empty.
    std::size_t Find(std::string_view text, std::size_t from) const {
        return ignoreCase_ ? Run<true>(text, from) : Run<false>(text, from);
    }

  private:
    template <bool IgnoreCase>
    std::size_t Run(std::string_view textView, std::size_t from) const {
        const char* text = textView.data();
        const std::size_t n = textView.size();
        const std::size_t m = sought_.size();
        if (from > n || m > n - from) return kNotFound;

        const unsigned char first = Byte(sought_.data(), 0);
        // With ignoreCase a lower-case first letter also stands for its upper-case form.
        const bool firstIsLetter = IgnoreCase && first >= 'a' && first <= 'z';
        const unsigned char firstUpper =
            firstIsLetter ? static_cast<unsigned char>(first - ('a' - 'A')) : first;
        if (text != scannedText_ || n != scannedSize_) {
            scannedText_ = text;
            scannedSize_ = n;
            lower_ = FirstByteScan();
            upper_ = FirstByteScan();
        }
        // The next occurrence of `byte` at or after i, from the scan's earlier answer while that
        // still holds.
        auto nextOf = [text, n](FirstByteScan& scan, unsigned char byte, std::size_t i) {
            if (scan.at == kNotFound || scan.at > i || (scan.next != kNotFound && scan.next < i)) {
                const void* hit = std::memchr(text + i, byte, n - i);
                scan.at = i;
                scan.next = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text)
                                : kNotFound;
            }
            return scan.next;
        };

        BoundaryCursor boundaries(text, from);
        BoundaryCursor folding(text, from);  // separate cursor: asked in its own order
        auto folded = [&](std::size_t i) -> unsigned char {
            const unsigned char b = Byte(text, i);
            if constexpr (IgnoreCase) {
                if (IsUpper(b) && folding.BeginsCharacter(i)) return Lower(b);
            }
            return b;
        };

        std::size_t i = from;
        std::size_t state = 0;  // bytes of the sought text matched so far
        while (i < n) {
            if (state == 0) {
                // Skip to the next byte that can start a match.
                std::size_t candidate;
                if (!firstIsLetter) {
                    // Candidates that stand close together (a first byte that is common in the
                    // text) are taken without the call.
                    if (Byte(text, i) == first) {
                        candidate = i;
                    } else if (i + 1 < n && Byte(text, i + 1) == first) {
                        candidate = i + 1;
                    } else {
                        const void* hit = std::memchr(text + i, first, n - i);
                        if (hit == nullptr) return kNotFound;
                        candidate = static_cast<std::size_t>(static_cast<const char*>(hit) - text);
                    }
                } else {
                    candidate = std::min(nextOf(lower_, first, i), nextOf(upper_, firstUpper, i));
                    if (candidate == kNotFound) return kNotFound;
                }
                if (m > n - candidate) return kNotFound;
                i = candidate;
                if (folded(i) != first) {  // an upper-case letter that is a second byte
                    ++i;
                    continue;
                }
                state = 1;
                ++i;
            } else {
                const unsigned char b = folded(i);
                while (state > 0 && static_cast<unsigned char>(sought_[state]) != b) {
                    state = failure_[state - 1];
                }
                if (static_cast<unsigned char>(sought_[state]) == b) ++state;
                ++i;
            }
            if (state == m) {
                const std::size_t start = i - m;
                if (boundaries.BeginsCharacter(start)) return start;
                state = failure_[m - 1];
            }
        }
        return kNotFound;
    }

    std::string sought_;  // folded when ignoring case
    bool ignoreCase_;
    std::vector<std::size_t> failure_;

    // The scans for the two forms of a first letter are kept from one Find to the next on the
    // same text, so that a search repeated forward (ReplaceText, SplitText) never scans the same
    // bytes twice, even when one of the forms does not occur at all.
    struct FirstByteScan {
        std::size_t at = kNotFound;    // where the scan started
        std::size_t next = kNotFound;  // the first occurrence at or after it, or kNotFound
    };
    mutable const char* scannedText_ = nullptr;
    mutable std::size_t scannedSize_ = 0;
    mutable FirstByteScan lower_;
    mutable FirstByteScan upper_;
};

// A 1-based start position (below 1: 1) as a 0-based index, or kNotFound when no byte of a
// text of n bytes lies at or after it.
std::size_t StartIndex(long long start, std::size_t n) {
    if (start < 1) start = 1;
    if (static_cast<unsigned long long>(start) > n) return kNotFound;
    return static_cast<std::size_t>(start - 1);
}

// A count of bytes clamped to 0..n.
std::size_t ClampCount(long long count, std::size_t n) {
    if (count <= 0) return 0;
    if (static_cast<unsigned long long>(count) >= n) return n;
    return static_cast<std::size_t>(count);
}

inline bool IsFullWidthSpace(const char* p, std::size_t i, std::size_t len) {
    return len == 2 && Byte(p, i) == 0xA1 && Byte(p, i + 1) == 0xA1;
}

inline bool IsSpaceCharacter(const char* p, std::size_t i, std::size_t len) {
    return (len == 1 && Byte(p, i) == 0x20) || IsFullWidthSpace(p, i, len);
}

}  // namespace

long long TextLength(const Text& text) {
    return static_cast<long long>(text.size());
}

Text TextLeft(const Text& text, long long count) {
    return text.substr(0, ClampCount(count, text.size()));
}

Text TextRight(const Text& text, long long count) {
    const std::size_t take = ClampCount(count, text.size());
    return text.substr(text.size() - take);
}

Text TextMid(const Text& text, long long start, long long count) {
    if (start < 1) return Text();
    const std::size_t from = StartIndex(start, text.size());
    if (from == kNotFound) return Text();
    return text.substr(from, ClampCount(count, text.size() - from));
}

long long FindText(const Text& text, const Text& sought, long long start, bool ignoreCase) {
    const std::size_t from = StartIndex(start, text.size());
    if (from == kNotFound) return -1;
    if (sought.empty()) return 1;  // some byte lies at or after start
    const std::size_t found = Matcher(sought, ignoreCase).Find(text, from);
    return found == kNotFound ? -1 : static_cast<long long>(found) + 1;
}

Text ReplaceText(const Text& text, const Text& sought, const Text& replacement, long long start,
                 long long count, bool caseSensitive) {
    const std::size_t from = StartIndex(start, text.size());
    if (text.empty() || sought.empty() || count == 0 || from == kNotFound) return text;

    const Matcher matcher(sought, !caseSensitive);
    Text out;
    out.reserve(text.size());
    out.append(text, 0, from);
    std::size_t pos = from;
    long long made = 0;
    while (count < 0 || made < count) {
        const std::size_t found = matcher.Find(text, pos);
        if (found == kNotFound) break;
        out.append(text, pos, found - pos);
        out += replacement;
        pos = found + matcher.Length();
        ++made;
    }
    out.append(text, pos, Text::npos);
    return out;
}

TextList SplitText(const Text& text, const Text& separator) {
    TextList list;
    if (text.empty()) return list;
    if (separator.empty()) {
        list.items.push_back(text);
        return list;
    }
    const Matcher matcher(separator, false);
    std::size_t pos = 0;
    for (;;) {
        const std::size_t found = matcher.Find(text, pos);
        if (found == kNotFound) break;
        list.items.emplace_back(text, pos, found - pos);
        pos = found + matcher.Length();
    }
    if (pos < text.size()) list.items.emplace_back(text, pos, Text::npos);
    return list;
}

Text TrimSpaces(const Text& text) {
    const char* p = text.data();
    const std::size_t n = LengthWithoutLoneLead(p, text.size());
    std::size_t i = 0;
    std::size_t first = n;  // start of the first character that is not a space
    std::size_t end = 0;    // end of the last character that is not a space
    while (i < n) {
        const std::size_t len = CharLength(p, i, n);
        if (!IsSpaceCharacter(p, i, len)) {
            if (first == n) first = i;
            end = i + len;
        }
        i += len;
    }
    if (first == n) return Text();
    return text.substr(first, end - first);
}

Text RemoveSpaces(const Text& text) {
    const char* p = text.data();
    const std::size_t n = LengthWithoutLoneLead(p, text.size());
    Text out;
    out.reserve(n);
    std::size_t runStart = 0;  // kept bytes are copied in runs
    std::size_t i = 0;
    while (i < n) {
        const std::size_t len = CharLength(p, i, n);
        if (IsSpaceCharacter(p, i, len)) {
            out.append(p + runStart, i - runStart);
            runStart = i + len;
        }
        i += len;
    }
    out.append(p + runStart, n - runStart);
    return out;
}

int CompareText(const Text& a, const Text& b, bool caseSensitive) {
    const char* pa = a.data();
    const char* pb = b.data();
    const std::size_t common = std::min(a.size(), b.size());
    // While the texts agree, their characters begin at the same positions, so one walk serves
    // both.
    std::size_t i = 0;
    while (i < common) {
        unsigned char x = Byte(pa, i);
        unsigned char y = Byte(pb, i);
        if (!caseSensitive) {
            x = Lower(x);
            y = Lower(y);
        }
        if (x != y) return x < y ? -1 : 1;
        if (IsHigh(x)) {
            ++i;
            if (i >= common) break;
            const unsigned char x2 = Byte(pa, i);
            const unsigned char y2 = Byte(pb, i);
            if (x2 != y2) return x2 < y2 ? -1 : 1;
        }
        ++i;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

Text ToLowerCase(const Text& text) {
    Text out = text;
    const std::size_t n = out.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char b = Byte(out.data(), i);
        if (IsHigh(b)) {
            i += 2;
        } else {
            out[i] = static_cast<char>(Lower(b));
            ++i;
        }
    }
    return out;
}

Text ToFullWidth(const Text& text) {
    const char* p = text.data();
    const std::size_t n = LengthWithoutLoneLead(p, text.size());
    Text out;
    out.reserve(n * 2);
    std::size_t i = 0;
    while (i < n) {
        const unsigned char b = Byte(p, i);
        if (IsHigh(b)) {
            out.append(p + i, 2);
            i += 2;
            continue;
        }
        if (b == 0x20) {
            out += "\xA1\xA1";
        } else if (b == '~') {
            out += "\xA1\xAB";
        } else if (b >= 0x21 && b <= 0x7D) {
            out += static_cast<char>(0xA3);
            out += static_cast<char>(b + 0x80);
        } else {
            out += static_cast<char>(b);  // control bytes stay as they are
        }
        ++i;
    }
    return out;
}

bool TextEquals(const Text& a, const Text& b) {
    return a == b;
}

long long ByteLength(const ByteString& bytes) {
    return static_cast<long long>(bytes.size());
}

ByteString BlankBytes(long long n) {
    // A size beyond what one buffer of the 32-bit program can hold gives the empty result
    // rather than an allocation that cannot succeed.
    if (n <= 0 || n > kLargestBuffer) return ByteString();
    return ByteString(static_cast<std::size_t>(n), 0);
}

ByteString BytesLeft(const ByteString& bytes, long long n) {
    const std::size_t take = ClampCount(n, bytes.size());
    return ByteString(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(take));
}

ByteString ConcatBytes(const ByteString& a, const ByteString& b) {
    ByteString out;
    out.reserve(a.size() + b.size());
    out.insert(out.end(), a.begin(), a.end());
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

ByteString TextToBytes(const Text& text) {
    return ByteString(text.begin(), text.end());
}

Text BytesToText(const ByteString& bytes) {
    if (bytes.empty()) return Text();
    const void* zero = std::memchr(bytes.data(), 0, bytes.size());
    const std::size_t len =
        zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - bytes.data())
             : bytes.size();
    return Text(reinterpret_cast<const char*>(bytes.data()), len);
}

ByteString BytesAt(const void* address, std::size_t length) {
    if (address == nullptr || length == 0) return ByteString();
    const auto* p = static_cast<const std::uint8_t*>(address);
    return ByteString(p, p + length);
}

long long ListSize(const TextList& list) {
    return static_cast<long long>(list.items.size());
}

void ListAppend(TextList& list, const Text& text) {
    list.items.push_back(text);
}

}  // namespace linkgrab
